// A COM interface pointer, released when its owner goes.
#pragma once

#include <unknwn.h>

#include <utility>

namespace tarnwick::win32 {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For a call that hands out a new reference: releases the one held first.
  T** put() {
    reset();
    return &pointer_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  void reset() {
    if (pointer_ != nullptr)
      std::exchange(pointer_, nullptr)->Release();
  }

  // The same object's interface U; empty when it has none.
  template <typename U>
  ComPtr<U> As() const {
    ComPtr<U> other;
    if (pointer_ != nullptr && FAILED(pointer_->QueryInterface(__uuidof(U), other.put_void())))
      other.reset();
    return other;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace tarnwick::win32
