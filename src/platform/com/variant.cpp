#include "platform/com/variant.h"

#include "platform/failure.h"

namespace brintova::com {

IUnknown* Identity(IUnknown* object) {
  if (object == nullptr) return nullptr;
  IUnknown* identity = nullptr;
  if (FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
    return object;
  }
  // Only the address is wanted; the object stays alive through the caller's own reference.
  identity->Release();
  return identity;
}

Bstr::Bstr(std::u16string_view text)
    : text_(SysAllocStringLen(Wide(text), static_cast<UINT>(text.size()))) {
  if (text_ == nullptr) throw Failure(u"Out of memory", 7);
}

std::u16string Bstr::Text(BSTR text) {
  if (text == nullptr) return {};
  std::u16string result = FromWide(text, SysStringLen(text));
  while (!result.empty() && result.back() == u'\0') result.pop_back();
  return result;
}

Variant::Variant(std::u16string_view text) {
  VariantInit(&value_);
  value_.bstrVal = Bstr(text).Release();
  value_.vt = VT_BSTR;
}

Variant::Variant(bool value) {
  VariantInit(&value_);
  value_.vt = VT_BOOL;
  value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(std::int32_t value) {
  VariantInit(&value_);
  value_.vt = VT_I4;
  value_.lVal = value;
}

Variant::Variant(double value) {
  VariantInit(&value_);
  value_.vt = VT_R8;
  value_.dblVal = value;
}

Variant::Variant(IDispatch* object) {
  VariantInit(&value_);
  value_.vt = VT_DISPATCH;
  value_.pdispVal = object;
  if (object != nullptr) object->AddRef();
}

Variant Variant::Missing() {
  Variant missing;
  missing.value_.vt = VT_ERROR;
  missing.value_.scode = DISP_E_PARAMNOTFOUND;
  return missing;
}

Variant Variant::Adopt(VARIANT& value) {
  Variant result;
  result.value_ = value;
  VariantInit(&value);
  return result;
}

Variant::Variant(const Variant& other) {
  VariantInit(&value_);
  // The source is declared non-const by the headers, though VariantCopy only reads it.
  if (FAILED(VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)))) {
    throw Failure(u"Out of memory", 7);
  }
}

Variant::Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }

Variant& Variant::operator=(Variant other) noexcept {
  std::swap(value_, other.value_);
  return *this;
}

VARIANT* Variant::Receive() {
  VariantClear(&value_);
  return &value_;
}

VARIANT Variant::Detach() {
  const VARIANT value = value_;
  VariantInit(&value_);
  return value;
}

namespace {

Variant Converted(const VARIANT& value, VARTYPE to) {
  Variant result;
  const USHORT flags = to == VT_BSTR ? VARIANT_ALPHABOOL : 0;
  const HRESULT hr = VariantChangeTypeEx(result.Receive(), const_cast<VARIANT*>(&value),
                                         LOCALE_INVARIANT, flags, to);
  if (FAILED(hr)) throw Failure(u"Type mismatch", kFailureTypeMismatch);
  return result;
}

}  // namespace

std::u16string Variant::ToText() const {
  if (value_.vt == VT_BSTR) return Bstr::Text(value_.bstrVal);
  return Bstr::Text(Converted(value_, VT_BSTR).get().bstrVal);
}

std::int32_t Variant::ToInt32() const { return Converted(value_, VT_I4).get().lVal; }

double Variant::ToDouble() const { return Converted(value_, VT_R8).get().dblVal; }

bool Variant::ToBool() const { return Converted(value_, VT_BOOL).get().boolVal != VARIANT_FALSE; }

ComPtr<IDispatch> Variant::ToDispatch() const {
  if (value_.vt == VT_DISPATCH) return ComPtr<IDispatch>::Share(value_.pdispVal);
  if (value_.vt == VT_UNKNOWN && value_.punkVal != nullptr) {
    ComPtr<IDispatch> object;
    if (SUCCEEDED(value_.punkVal->QueryInterface(IID_IDispatch,
                                                 reinterpret_cast<void**>(object.Receive())))) {
      return object;
    }
  }
  return {};
}

VariantGrid::VariantGrid(Variant value) : value_(std::move(value)) {
  if (!(value_.type() & VT_ARRAY)) {
    data_ = &value_.get();  // one cell
    return;
  }
  if (value_.type() != (VT_ARRAY | VT_VARIANT) || value_.get().parray == nullptr ||
      SafeArrayGetDim(value_.get().parray) != 2) {
    throw Failure(u"The spreadsheet application answered a block of cells in an unknown form");
  }
  SAFEARRAY* array = value_.get().parray;
  LONG row_low = 0, row_high = 0, column_low = 0, column_high = 0;
  SafeArrayGetLBound(array, 1, &row_low);
  SafeArrayGetUBound(array, 1, &row_high);
  SafeArrayGetLBound(array, 2, &column_low);
  SafeArrayGetUBound(array, 2, &column_high);
  rows_ = static_cast<std::int32_t>(row_high - row_low + 1);
  columns_ = static_cast<std::int32_t>(column_high - column_low + 1);
  void* data = nullptr;
  if (rows_ < 0 || columns_ < 0 || FAILED(SafeArrayAccessData(array, &data))) {
    throw Failure(u"The spreadsheet application answered a block of cells in an unknown form");
  }
  array_ = array;
  data_ = static_cast<const VARIANT*>(data);
}

VariantGrid::~VariantGrid() {
  if (array_ != nullptr) SafeArrayUnaccessData(array_);
}

// Elements lie column by column: the first dimension (rows) varies fastest.
const VARIANT& VariantGrid::at(std::int32_t row, std::int32_t column) const {
  return data_[static_cast<std::size_t>(row - 1) +
               static_cast<std::size_t>(column - 1) * static_cast<std::size_t>(rows_)];
}

}  // namespace brintova::com
