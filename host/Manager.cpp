#include "host/Manager.hpp"

#include "host/DpConfiguration.hpp"

int Manager::getName(const char* alias, CharString& name) {
  std::string element;
  if (alias == nullptr || !DpConfiguration::instance().findAlias(alias, element))
    return 0;
  name = CharString(std::move(element));
  return 1;
}

int Manager::getId(const char* name, DpIdentifier& id) {
  return name != nullptr && DpConfiguration::instance().findElement(name, id) ? 1 : 0;
}

int Manager::getElementType(const DpIdentifier& id, DpElementType& type) {
  return DpConfiguration::instance().findElementType(id, type) ? 1 : 0;
}
