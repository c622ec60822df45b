// Growable arrays with the openNURBS names and meanings: ON_SimpleArray for plain
// data (elements are copied bitwise, new ones are zeroed), ON_ClassArray for
// classes (elements are constructed, copied and destroyed as objects).
//
// Both draw their storage through the virtual operation Realloc, so code built
// elsewhere that fills an array grows it with the allocator of the array's owner.
#pragma once

#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace on_detail {
// Growth: double the capacity while it is small, then add a bounded step, so a
// long run of Append calls costs amortised constant time without wasting memory.
inline int NewCapacity(int capacity, int needed) {
  long long c = capacity < 4 ? 4 : capacity;
  while (c < needed) c = c < (1 << 24) ? c * 2 : c + (c >> 2);
  if (c > 0x7FFFFFFF) c = 0x7FFFFFFF;
  return static_cast<int>(c);
}
[[noreturn]] inline void OutOfMemory() { throw std::bad_alloc(); }
}  // namespace on_detail

template <class T>
class ON_SimpleArray {
  static_assert(std::is_trivially_copyable_v<T>, "ON_SimpleArray holds plain data; use ON_ClassArray");

 public:
  ON_SimpleArray() = default;
  explicit ON_SimpleArray(int initialCapacity) { SetCapacity(initialCapacity); }
  ON_SimpleArray(const ON_SimpleArray& o) { *this = o; }
  ON_SimpleArray& operator=(const ON_SimpleArray& o) {
    if (this != &o) {
      if (o.m_count > m_capacity) SetCapacity(o.m_count);
      if (o.m_count) std::memcpy(static_cast<void*>(m_a), o.m_a, sizeof(T) * o.m_count);
      m_count = o.m_count;
    }
    return *this;
  }
  virtual ~ON_SimpleArray() { SetCapacity(0); }

  int Count() const { return m_count; }
  int Capacity() const { return m_capacity; }
  unsigned int SizeOfArray() const { return static_cast<unsigned int>(m_count * sizeof(T)); }
  T* Array() { return m_a; }
  const T* Array() const { return m_a; }
  T& operator[](int i) { return m_a[i]; }
  const T& operator[](int i) const { return m_a[i]; }
  T* At(int i) { return (i >= 0 && i < m_count) ? m_a + i : nullptr; }
  const T* At(int i) const { return (i >= 0 && i < m_count) ? m_a + i : nullptr; }
  T* First() { return m_count ? m_a : nullptr; }
  T* Last() { return m_count ? m_a + m_count - 1 : nullptr; }

  T& AppendNew() {
    Grow(m_count + 1);
    std::memset(static_cast<void*>(m_a + m_count), 0, sizeof(T));
    return m_a[m_count++];
  }
  void Append(const T& x) {
    if (m_count == m_capacity) {
      const T copy = x;  // x may live in this array
      Grow(m_count + 1);
      m_a[m_count++] = copy;
    } else {
      m_a[m_count++] = x;
    }
  }
  void Append(int count, const T* p) {
    if (count <= 0 || !p) return;
    if (m_count + count > m_capacity) {
      ON_SimpleArray copy;  // p may point into this array
      copy.SetCapacity(count);
      std::memcpy(static_cast<void*>(copy.m_a), p, sizeof(T) * count);
      Grow(m_count + count);
      std::memcpy(static_cast<void*>(m_a + m_count), copy.m_a, sizeof(T) * count);
    } else {
      std::memmove(static_cast<void*>(m_a + m_count), p, sizeof(T) * count);
    }
    m_count += count;
  }
  void Insert(int i, const T& x) {
    if (i < 0 || i > m_count) return;
    const T copy = x;
    Grow(m_count + 1);
    std::memmove(static_cast<void*>(m_a + i + 1), m_a + i, sizeof(T) * (m_count - i));
    m_a[i] = copy;
    ++m_count;
  }
  void Remove() { Remove(m_count - 1); }
  void Remove(int i) {
    if (i < 0 || i >= m_count) return;
    std::memmove(static_cast<void*>(m_a + i), m_a + i + 1, sizeof(T) * (m_count - i - 1));
    --m_count;
  }
  void Empty() { m_count = 0; }
  void Destroy() { SetCapacity(0); }
  void Zero() {
    if (m_capacity) std::memset(static_cast<void*>(m_a), 0, sizeof(T) * m_capacity);
  }
  void Reserve(int capacity) {
    if (capacity > m_capacity) SetCapacity(capacity);
  }
  void Shrink() { SetCapacity(m_count); }
  // Sets the count; new elements are not initialised, as in openNURBS.
  void SetCount(int count) {
    if (count < 0) count = 0;
    Reserve(count);
    m_count = count;
  }
  void SetCapacity(int capacity) {
    if (capacity < 0) capacity = 0;
    if (capacity == m_capacity) return;
    if (capacity == 0) {
      m_a = Realloc(m_a, 0);
      m_a = nullptr;
      m_count = m_capacity = 0;
      return;
    }
    T* p = Realloc(m_a, capacity);
    if (!p) on_detail::OutOfMemory();
    m_a = p;
    m_capacity = capacity;
    if (m_count > capacity) m_count = capacity;
  }

  // The one storage operation: capacity 0 frees the block, anything else resizes it.
  virtual T* Realloc(T* ptr, int capacity) {
    if (capacity <= 0) {
      std::free(ptr);
      return nullptr;
    }
    return static_cast<T*>(std::realloc(ptr, sizeof(T) * static_cast<size_t>(capacity)));
  }

 protected:
  void Grow(int needed) {
    if (needed > m_capacity) SetCapacity(on_detail::NewCapacity(m_capacity, needed));
  }
  T* m_a = nullptr;
  int m_count = 0;
  int m_capacity = 0;
};

template <class T>
class ON_ClassArray {
 public:
  ON_ClassArray() = default;
  explicit ON_ClassArray(int initialCapacity) { SetCapacity(initialCapacity); }
  ON_ClassArray(const ON_ClassArray& o) { *this = o; }
  ON_ClassArray& operator=(const ON_ClassArray& o) {
    if (this == &o) return *this;
    Empty();
    Reserve(o.m_count);
    for (int i = 0; i < o.m_count; ++i) {
      new (m_a + i) T(o.m_a[i]);
      ++m_count;
    }
    return *this;
  }
  virtual ~ON_ClassArray() { Destroy(); }

  int Count() const { return m_count; }
  int Capacity() const { return m_capacity; }
  T* Array() { return m_a; }
  const T* Array() const { return m_a; }
  T& operator[](int i) { return m_a[i]; }
  const T& operator[](int i) const { return m_a[i]; }
  T* At(int i) { return (i >= 0 && i < m_count) ? m_a + i : nullptr; }
  const T* At(int i) const { return (i >= 0 && i < m_count) ? m_a + i : nullptr; }
  T* First() { return m_count ? m_a : nullptr; }
  T* Last() { return m_count ? m_a + m_count - 1 : nullptr; }

  T& AppendNew() {
    Grow(m_count + 1);
    new (m_a + m_count) T();
    return m_a[m_count++];
  }
  void Append(const T& x) {
    if (m_count == m_capacity) {
      T copy(x);  // x may live in this array
      Grow(m_count + 1);
      new (m_a + m_count) T(std::move(copy));
    } else {
      new (m_a + m_count) T(x);
    }
    ++m_count;
  }
  void Remove() { Remove(m_count - 1); }
  void Remove(int i) {
    if (i < 0 || i >= m_count) return;
    for (int k = i; k + 1 < m_count; ++k) m_a[k] = std::move(m_a[k + 1]);
    m_a[--m_count].~T();
  }
  // Destroys the elements and keeps the storage.
  void Empty() {
    while (m_count > 0) m_a[--m_count].~T();
  }
  // Destroys the elements and frees the storage.
  void Destroy() {
    Empty();
    if (m_a) m_a = Realloc(m_a, 0);
    m_a = nullptr;
    m_capacity = 0;
  }
  void Reserve(int capacity) {
    if (capacity > m_capacity) SetCapacity(capacity);
  }
  void SetCapacity(int capacity) {
    if (capacity < 0) capacity = 0;
    if (capacity == m_capacity) return;
    if (capacity == 0) {
      Destroy();
      return;
    }
    while (m_count > capacity) m_a[--m_count].~T();
    // Elements are moved as objects into a fresh block, never relocated bitwise.
    T* p = Realloc(nullptr, capacity);
    if (!p) on_detail::OutOfMemory();
    for (int i = 0; i < m_count; ++i) {
      new (p + i) T(std::move(m_a[i]));
      m_a[i].~T();
    }
    if (m_a) Realloc(m_a, 0);
    m_a = p;
    m_capacity = capacity;
  }

  // The one storage operation: with a null `ptr`, raw memory for `capacity`
  // elements; with capacity 0, frees `ptr`. Blocks of objects are never resized in
  // place, so no other combination is asked for.
  virtual T* Realloc(T* ptr, int capacity) {
    if (capacity <= 0) {
      ::operator delete(static_cast<void*>(ptr));
      return nullptr;
    }
    return static_cast<T*>(::operator new(sizeof(T) * static_cast<size_t>(capacity), std::nothrow));
  }

 protected:
  void Grow(int needed) {
    if (needed > m_capacity) SetCapacity(on_detail::NewCapacity(m_capacity, needed));
  }
  T* m_a = nullptr;
  int m_count = 0;
  int m_capacity = 0;
};
