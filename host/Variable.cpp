#include "host/Variable.hpp"

#include <sys/mman.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "host/Variables.hpp"

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#endif

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define HOST_VARIABLE_POOL 0  // the sanitizer must see every variable's own allocation
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HOST_VARIABLE_POOL 0
#endif
#endif
#ifndef HOST_VARIABLE_POOL
#define HOST_VARIABLE_POOL 1
#endif

// Slots of 8 to 64 bytes in steps of 8 (a text variable takes 40, an anytype 16); a freed slot
// goes onto the free list of its size and is handed out again first. Every variable class is
// aligned to at most 8 bytes. Chunks are kept for the life of the process, so a variable may also
// be freed during static destruction. A spin lock suffices: the host calls are not concurrent in
// practice, and when they are, a slot operation holds the lock for a few instructions.
class VariablePool {
 public:
  static constexpr std::size_t kStep = 8;
  static constexpr std::size_t kClasses = 8;

  static bool serves(std::size_t size) { return size != 0 && size <= kStep * kClasses; }

  void* take(std::size_t size) {
    const std::size_t slotClass = (size - 1) / kStep;
    Lock lock(busy_);
    if (FreeSlot* slot = free_[slotClass]) {
      free_[slotClass] = slot->next;
      return slot;
    }
    const std::size_t bytes = (slotClass + 1) * kStep;
    if (left_ < bytes) {
      next_ = static_cast<char*>(std::aligned_alloc(kChunk, kChunk));
      if (next_ == nullptr) {
        left_ = 0;
        throw std::bad_alloc();
      }
#ifdef MADV_HUGEPAGE
      // One page fault maps the whole chunk instead of one per 4 KiB; only advice.
      madvise(next_, kChunk, MADV_HUGEPAGE);
#endif
      left_ = kChunk;  // the rest of the old chunk is dropped: less than 64 bytes
    }
    void* memory = next_;
    next_ += bytes;
    left_ -= bytes;
    return memory;
  }

  void give(void* memory, std::size_t size) noexcept {
    auto* slot = static_cast<FreeSlot*>(memory);
    const std::size_t slotClass = (size - 1) / kStep;
    Lock lock(busy_);
    slot->next = free_[slotClass];
    free_[slotClass] = slot;
  }

 private:
  // One transparent huge page.
  static constexpr std::size_t kChunk = std::size_t{2} << 20;

  struct FreeSlot {
    FreeSlot* next;
  };

  class Lock {
   public:
    explicit Lock(std::atomic_flag& flag) : flag_(flag) {
      while (flag_.test_and_set(std::memory_order_acquire)) {
      }
    }
    ~Lock() { flag_.clear(std::memory_order_release); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    std::atomic_flag& flag_;
  };

  std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
  FreeSlot* free_[kClasses] = {};
  char* next_ = nullptr;
  std::size_t left_ = 0;
};

// Never destroyed, for the variables that static destructors free.
VariablePool& variablePool() {
  static VariablePool* pool = new VariablePool();
  return *pool;
}

struct TypeRow {
  VariableType type;
  const char* name;
  VariableType dynType;  // the dyn of this element type; NO_VAR when it has none
};

// Every type code the stand-in knows, with its CTRL name and the code of its dyn.
constexpr TypeRow kTypes[] = {
    {TIME_VAR, "time", DYNTIME_VAR},
    {BIT_VAR, "bool", DYNBIT_VAR},
    {INTEGER_VAR, "int", DYNINTEGER_VAR},
    {UINTEGER_VAR, "uint", DYNUINTEGER_VAR},
    {FLOAT_VAR, "float", DYNFLOAT_VAR},
    {TEXT_VAR, "string", DYNTEXT_VAR},
    {BIT32_VAR, "bit32", DYNBIT32_VAR},
    {CHAR_VAR, "char", DYNCHAR_VAR},
    {LONG_VAR, "long", DYNLONG_VAR},
    {ULONG_VAR, "ulong", DYNULONG_VAR},
    {BIT64_VAR, "bit64", DYNBIT64_VAR},
    {ANYTYPE_VAR, "anytype", DYNANYTYPE_VAR},
    {MAPPING_VAR, "mapping", DYNMAPPING_VAR},
    {DYNTIME_VAR, "dyn_time", NO_VAR},
    {DYNBIT_VAR, "dyn_bool", NO_VAR},
    {DYNINTEGER_VAR, "dyn_int", NO_VAR},
    {DYNUINTEGER_VAR, "dyn_uint", NO_VAR},
    {DYNFLOAT_VAR, "dyn_float", NO_VAR},
    {DYNTEXT_VAR, "dyn_string", DYNDYNTEXT_VAR},
    {DYNBIT32_VAR, "dyn_bit32", NO_VAR},
    {DYNCHAR_VAR, "dyn_char", NO_VAR},
    {DYNLONG_VAR, "dyn_long", NO_VAR},
    {DYNULONG_VAR, "dyn_ulong", NO_VAR},
    {DYNBIT64_VAR, "dyn_bit64", NO_VAR},
    {DYNANYTYPE_VAR, "dyn_anytype", DYNDYNANYTYPE_VAR},
    {DYNMAPPING_VAR, "dyn_mapping", NO_VAR},
    {DYNDYNANYTYPE_VAR, "dyn_dyn_anytype", NO_VAR},
    {DYNDYNTEXT_VAR, "dyn_dyn_string", NO_VAR},
    {DYN_VAR, "dyn", NO_VAR},
};

const TypeRow* findType(VariableType type) {
  for (const TypeRow& row : kTypes) {
    if (row.type == type)
      return &row;
  }
  return nullptr;
}

// The element type of a dyn code, or NO_VAR when `type` is no dyn code.
VariableType elementTypeOf(VariableType type) {
  for (const TypeRow& row : kTypes) {
    if (row.dynType == type && type != NO_VAR)
      return row.type;
  }
  return NO_VAR;
}

// Under valgrind every variable takes its own allocation, so that memcheck sees a leaked or
// reused variable; the answer cannot change during the process, so new and delete agree.
bool pooled() {
  static const bool onValgrind = RUNNING_ON_VALGRIND != 0;
  return HOST_VARIABLE_POOL && !onValgrind;
}

}  // namespace

Variable::~Variable() = default;

void* Variable::operator new(std::size_t size) {
  if (pooled() && VariablePool::serves(size)) {
    return variablePool().take(size);
  }
  return ::operator new(size);
}

void Variable::operator delete(void* memory, std::size_t size) noexcept {
  if (memory == nullptr) {
    return;
  }
  if (pooled() && VariablePool::serves(size)) {
    variablePool().give(memory, size);
    return;
  }
  ::operator delete(memory);
}

const char* Variable::getTypeName(VariableType type) {
  const TypeRow* row = findType(type);
  return row != nullptr ? row->name : "unknown";
}

VariableType Variable::dynTypeOf(VariableType elementType) {
  const TypeRow* row = findType(elementType);
  return row != nullptr && row->dynType != NO_VAR ? row->dynType : DYN_VAR;
}

Variable* Variable::allocate(VariableType type) {
  switch (type) {
    case TIME_VAR:
      return new TimeVar();
    case BIT_VAR:
      return new BitVar();
    case INTEGER_VAR:
      return new IntegerVar();
    case UINTEGER_VAR:
      return new UIntegerVar();
    case FLOAT_VAR:
      return new FloatVar();
    case TEXT_VAR:
      return new TextVar();
    case BIT32_VAR:
      return new Bit32Var();
    case CHAR_VAR:
      return new CharVar();
    case LONG_VAR:
      return new LongVar();
    case ULONG_VAR:
      return new ULongVar();
    case BIT64_VAR:
      return new Bit64Var();
    case ANYTYPE_VAR:
      return new AnyTypeVar();
    case MAPPING_VAR:
      return new MappingVar();
    case DYN_VAR:
      return new DynVar(NO_VAR);
    default:
      break;
  }
  VariableType element = elementTypeOf(type);
  return element != NO_VAR ? new DynVar(element) : nullptr;
}
