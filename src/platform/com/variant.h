// Owners of the automation types: interface pointers, BSTR, VARIANT and SAFEARRAY. Each frees
// what it holds when it goes, so no reference outlives the code that took it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/com/windows_headers.h"

namespace brintova::com {

// Text crosses as UTF-16 both ways: wchar_t is 16 bits on Windows.
inline const wchar_t* Wide(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}
inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// An owning interface pointer: Release when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds (as returned by a COM call).
  static ComPtr Adopt(T* pointer) {
    ComPtr result;
    result.pointer_ = pointer;
    return result;
  }
  // Takes a reference of its own.
  static ComPtr Share(T* pointer) {
    if (pointer != nullptr) pointer->AddRef();
    return Adopt(pointer);
  }
  ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
    if (pointer_ != nullptr) pointer_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }
  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For out-parameters: releases what is held and hands out the slot.
  T** Receive() {
    Reset();
    return &pointer_;
  }

 private:
  T* pointer_ = nullptr;
};

// The identity of a COM object: its IUnknown, the same for every interface pointer to it.
IUnknown* Identity(IUnknown* object);

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text);
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
  ~Bstr() { SysFreeString(text_); }

  BSTR get() const { return text_; }
  BSTR Release() { return std::exchange(text_, nullptr); }
  // The text, without terminating NULs a server counted into the length.
  static std::u16string Text(BSTR text);

 private:
  BSTR text_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(std::u16string_view text);  // VT_BSTR
  Variant(const char16_t* text) : Variant(std::u16string_view(text)) {}
  Variant(bool value);          // VT_BOOL
  Variant(std::int32_t value);  // VT_I4
  Variant(double value);        // VT_R8
  Variant(IDispatch* object);   // VT_DISPATCH, with a reference of its own
  // Any other pointer would quietly become VT_BOOL.
  template <typename T>
  Variant(T*) = delete;
  // An omitted optional argument.
  static Variant Missing();
  // Takes over a VARIANT the caller owns (and leaves it VT_EMPTY).
  static Variant Adopt(VARIANT& value);

  Variant(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant other) noexcept;
  ~Variant() { VariantClear(&value_); }

  VARTYPE type() const { return value_.vt; }
  bool IsEmpty() const { return value_.vt == VT_EMPTY; }
  const VARIANT& get() const { return value_; }
  VARIANT* Receive();  // cleared, for an out-parameter
  VARIANT Detach();    // hands over the value; this one is left empty

  // Conversions as the automation runtime makes them, locale-independent ("1.5", "True").
  // Throw Failure when the value does not convert.
  std::u16string ToText() const;
  std::int32_t ToInt32() const;
  bool ToBool() const;
  double ToDouble() const;
  // The object held, with a reference of its own; null when the value is no object.
  ComPtr<IDispatch> ToDispatch() const;

 private:
  VARIANT value_;
};

// A two-dimensional SAFEARRAY of VARIANTs, as a block of cells reads: element (row, column)
// counted from 1 within the block. Locked for reading while the view lives.
class VariantGrid {
 public:
  // Takes over the array of `value` (VT_ARRAY | VT_VARIANT, two dimensions), or one value
  // standing for a single cell. Throws Failure for any other shape.
  explicit VariantGrid(Variant value);
  VariantGrid(const VariantGrid&) = delete;
  VariantGrid& operator=(const VariantGrid&) = delete;
  ~VariantGrid();

  std::int32_t rows() const { return rows_; }
  std::int32_t columns() const { return columns_; }
  const VARIANT& at(std::int32_t row, std::int32_t column) const;

 private:
  Variant value_;
  SAFEARRAY* array_ = nullptr;
  const VARIANT* data_ = nullptr;
  std::int32_t rows_ = 1;
  std::int32_t columns_ = 1;
};

}  // namespace brintova::com
