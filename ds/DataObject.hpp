// The interface of the middleware's data container: typed values, scalars and arrays, stored by
// name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "ds/BoolWrapper.hpp"

// The container's twelve value types in their code order 0 to 11, as X(scalar type, array element
// type). The interface below and every implementation declare their overloads from this one list.
#define DATA_OBJECT_VALUE_TYPES(X) \
  X(bool, ds::BoolWrapper)         \
  X(std::int8_t, std::int8_t)      \
  X(std::int16_t, std::int16_t)    \
  X(std::int32_t, std::int32_t)    \
  X(std::int64_t, std::int64_t)    \
  X(std::uint8_t, std::uint8_t)    \
  X(std::uint16_t, std::uint16_t)  \
  X(std::uint32_t, std::uint32_t)  \
  X(std::uint64_t, std::uint64_t)  \
  X(float, float)                  \
  X(double, double)                \
  X(std::string, std::string)

// Implementations derive from this class virtually. Reads and writes raise an exception derived
// from std::exception when they cannot do what they are asked.
class DataObject {
 public:
  // Selects the overload of a read by the value type it reads (reads differ only in their result).
  template <typename Scalar>
  struct As {};
  // An array value: shared with the container, which may keep its share after a write.
  template <typename Element>
  using Array = std::shared_ptr<std::vector<Element>>;
  // How a scalar is passed to a write: by value, a string by reference.
  template <typename Scalar>
  using In = std::conditional_t<std::is_class_v<Scalar>, const Scalar&, Scalar>;

  virtual ~DataObject() = default;

  // The names of the values held, in the container's own order.
  virtual std::vector<std::string> names() const = 0;
  // The number of values held.
  virtual std::size_t size() const = 0;
  // Whether a value is held under `name`.
  virtual bool has(const std::string& name) const = 0;
  // Drops the value held under `name`; false when there was none.
  virtual bool remove(const std::string& name) = 0;

  // The scalar stored under `name`.
#define DATA_OBJECT_READ_SCALAR(Scalar, Element) \
  virtual Scalar readScalar(const std::string& name, As<Scalar>) const = 0;
  DATA_OBJECT_VALUE_TYPES(DATA_OBJECT_READ_SCALAR)
#undef DATA_OBJECT_READ_SCALAR

  // The array stored under `name`; may be an empty handle.
#define DATA_OBJECT_READ_ARRAY(Scalar, Element) \
  virtual Array<Element> readArray(const std::string& name, As<Scalar>) const = 0;
  DATA_OBJECT_VALUE_TYPES(DATA_OBJECT_READ_ARRAY)
#undef DATA_OBJECT_READ_ARRAY

  // Stores a scalar under `name`, replacing what was stored there.
#define DATA_OBJECT_WRITE_SCALAR(Scalar, Element) \
  virtual void writeScalar(const std::string& name, In<Scalar> value) = 0;
  DATA_OBJECT_VALUE_TYPES(DATA_OBJECT_WRITE_SCALAR)
#undef DATA_OBJECT_WRITE_SCALAR

  // writeArray stores the shared array itself under `name`; writeArrayCopy stores a copy of the
  // elements.
#define DATA_OBJECT_WRITE_ARRAYS(Scalar, Element)                                     \
  virtual void writeArray(const std::string& name, const Array<Element>& values) = 0; \
  virtual void writeArrayCopy(const std::string& name, const std::vector<Element>& values) = 0;
  DATA_OBJECT_VALUE_TYPES(DATA_OBJECT_WRITE_ARRAYS)
#undef DATA_OBJECT_WRITE_ARRAYS

 protected:
  DataObject() = default;
  DataObject(const DataObject&) = default;
  DataObject& operator=(const DataObject&) = default;
};
