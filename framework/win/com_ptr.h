// Holds one reference to a COM interface.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace win {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Adds a reference to an interface that the caller keeps its own reference to.
  static ComPtr AddRefOf(T* p) {
    ComPtr c;
    c.p_ = p;
    if (p) p->AddRef();
    return c;
  }
  // Takes over a reference that the caller already holds; never adopts silently.
  static ComPtr Adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  ~ComPtr() { Reset(); }

  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr& operator=(const ComPtr& other) {
    if (other.p_) other.p_->AddRef();
    Reset(other.p_);
    return *this;
  }
  ComPtr(ComPtr&& other) noexcept : p_(other.Release()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  T* Release() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  // Drops the current reference and takes over the given one.
  void Reset(T* p = nullptr) {
    T* old = p_;
    p_ = p;
    if (old) old->Release();
  }
  // Drops the current reference and returns its address for an out-parameter.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  // QueryInterface for another interface; empty when the object does not answer it.
  template <typename U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> out;
    if (p_) p_->QueryInterface(iid, out.PutVoid());
    return out;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace win
