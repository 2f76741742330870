// Late-bound calls by member name through IDispatch, as a scripting client makes them: the
// member and the names of its named arguments resolved in one GetIDsOfNames call, named
// arguments first in the argument array, positional ones after them in reverse order, and a
// property's new value passed under DISPID_PROPERTYPUT.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/com/variant.h"

namespace brintova::com {

struct Argument {
  std::u16string name;  // empty: positional
  Variant value;
};
inline Argument Named(std::u16string_view name, Variant value) {
  return {std::u16string(name), std::move(value)};
}
inline Argument Positional(Variant value) { return {std::u16string(), std::move(value)}; }

enum class CallKind {
  kMethodOrGet,  // a method, or a property read with arguments (x.Item(1)): both flags
  kGet,
  kPut,
};

// The member is named in failures; the default member (DISPID_VALUE) has the empty name.
// Positional arguments must come before named ones. Throws Failure: with the server's own
// description and code when it raised an exception (deferred fill-in honoured), else with a
// description of what went wrong and the HRESULT as the number.
Variant Invoke(IDispatch* object, CallKind kind, std::u16string_view member,
               std::initializer_list<Argument> arguments, const Variant* new_value = nullptr);

inline Variant Call(IDispatch* object, std::u16string_view member,
                    std::initializer_list<Argument> arguments = {}) {
  return Invoke(object, CallKind::kMethodOrGet, member, arguments);
}
inline Variant Get(IDispatch* object, std::u16string_view member,
                   std::initializer_list<Argument> arguments = {}) {
  return Invoke(object, CallKind::kGet, member, arguments);
}
inline void Put(IDispatch* object, std::u16string_view member, const Variant& value,
                std::initializer_list<Argument> arguments = {}) {
  Invoke(object, CallKind::kPut, member, arguments, &value);
}
// The object a call returned; throws Failure naming the member when it returned none.
ComPtr<IDispatch> GetChild(IDispatch* object, std::u16string_view member,
                           std::initializer_list<Argument> arguments = {});

// The system's text for an HRESULT, without the closing full stop; "an unknown error" if none.
std::u16string SystemMessage(HRESULT code);

// The description of a failed call that carried no description of its own.
std::u16string DescribeFailure(HRESULT code, std::u16string_view member);

}  // namespace brintova::com
