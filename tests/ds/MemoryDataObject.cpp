#include "tests/ds/MemoryDataObject.hpp"

std::vector<std::string> MemoryDataObject::names() const {
  std::vector<std::string> list;
  for (const auto& entry : values_)
    list.push_back(entry.first);
  return list;
}

void MemoryDataObject::enter(const char* operation, const std::string& name, std::type_index type,
                             std::size_t count, bool allDefault) const {
  calls_.push_back({operation, name, type, count, allDefault});
  const auto failure = failures_.find(name);
  if (failure == failures_.end())
    return;
  if (failure->second)
    throw StorageError(*failure->second);
  throw NonStandardError{42};
}
