#include "platform/com/dispatch.h"

#include <vector>

#include "platform/failure.h"

namespace brintova::com {

std::u16string SystemMessage(HRESULT code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text = length > 0 ? FromWide(buffer, length) : std::u16string();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ' ||
                           text.back() == u'.')) {
    text.pop_back();
  }
  return text.empty() ? u"an unknown error" : text;
}

namespace {

std::u16string Shown(std::u16string_view member) {
  return member.empty() ? u"its default value" : std::u16string(member);
}

[[noreturn]] void ThrowFromException(EXCEPINFO& info, HRESULT code, std::u16string_view member) {
  if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
  std::u16string description = Bstr::Text(info.bstrDescription);
  HRESULT number = info.scode != 0 ? info.scode : static_cast<HRESULT>(info.wCode);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  if (number == 0) number = code;
  if (description.empty()) description = DescribeFailure(number, member);
  throw Failure(std::move(description), static_cast<std::int32_t>(number));
}

[[noreturn]] void ThrowFromCode(HRESULT code, std::u16string_view member) {
  throw Failure(DescribeFailure(code, member), static_cast<std::int32_t>(code));
}

}  // namespace

std::u16string DescribeFailure(HRESULT code, std::u16string_view member) {
  const std::u16string what = Shown(member);
  switch (code) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
      return u"The spreadsheet application does not know " + what +
             u" on this object, or one of the names of its arguments";
    case RPC_E_CALL_REJECTED:
    case RPC_E_SERVERCALL_RETRYLATER:
      return u"The spreadsheet application stayed busy and did not take " + what +
             u": close any dialog or finish editing a cell in it, then try again";
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
      return u"The spreadsheet application closed or stopped answering (while asked for " + what +
             u")";
    case DISP_E_TYPEMISMATCH:
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL:
      return u"The spreadsheet application did not accept the arguments of " + what;
    default:
      break;
  }
  return u"The spreadsheet application failed at " + what + u": " + SystemMessage(code);
}

Variant Invoke(IDispatch* object, CallKind kind, std::u16string_view member,
               std::initializer_list<Argument> arguments, const Variant* new_value) {
  if (object == nullptr) {
    throw Failure(u"Object variable or With block variable not set", kFailureObjectNotSet);
  }
  std::vector<const Argument*> positional;
  std::vector<const Argument*> named;
  for (const Argument& argument : arguments) {
    if (argument.name.empty()) {
      if (!named.empty()) {
        throw Failure(u"A positional argument of " + Shown(member) + u" follows a named one",
                      kFailureInvalidArgument);
      }
      positional.push_back(&argument);
    } else {
      named.push_back(&argument);
    }
  }

  // One GetIDsOfNames call: the member first, then the names of the named arguments.
  std::vector<DISPID> ids(named.size() + 1, DISPID_VALUE);
  if (!member.empty() || !named.empty()) {
    std::vector<std::u16string> texts{std::u16string(member)};
    for (const Argument* argument : named) texts.push_back(argument->name);
    std::vector<LPOLESTR> names;
    for (std::u16string& text : texts) names.push_back(reinterpret_cast<LPOLESTR>(text.data()));
    const HRESULT hr = object->GetIDsOfNames(
        IID_NULL, names.data(), static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT, ids.data());
    if (FAILED(hr)) ThrowFromCode(hr, member);
    if (member.empty()) ids[0] = DISPID_VALUE;
  }

  // Shallow copies: the Arguments keep ownership, and the callee only reads by-value arguments.
  std::vector<VARIANTARG> values;
  std::vector<DISPID> named_ids;
  WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
  if (kind == CallKind::kGet) flags = DISPATCH_PROPERTYGET;
  if (kind == CallKind::kPut) {
    if (new_value == nullptr) {
      throw Failure(u"No value to assign to " + Shown(member), kFailureInvalidArgument);
    }
    flags = DISPATCH_PROPERTYPUT;
    values.push_back(new_value->get());
    named_ids.push_back(DISPID_PROPERTYPUT);
  }
  for (std::size_t i = 0; i < named.size(); ++i) {
    values.push_back(named[i]->value.get());
    named_ids.push_back(ids[i + 1]);
  }
  for (auto it = positional.rbegin(); it != positional.rend(); ++it) {
    values.push_back((*it)->value.get());
  }

  DISPPARAMS parameters{};
  parameters.cArgs = static_cast<UINT>(values.size());
  parameters.rgvarg = values.empty() ? nullptr : values.data();
  parameters.cNamedArgs = static_cast<UINT>(named_ids.size());
  parameters.rgdispidNamedArgs = named_ids.empty() ? nullptr : named_ids.data();

  Variant result;
  EXCEPINFO exception{};
  UINT argument_error = 0;
  const HRESULT hr = object->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                    kind == CallKind::kPut ? nullptr : result.Receive(), &exception,
                                    &argument_error);
  if (hr == DISP_E_EXCEPTION) ThrowFromException(exception, hr, member);
  if (FAILED(hr)) ThrowFromCode(hr, member);
  return result;
}

ComPtr<IDispatch> GetChild(IDispatch* object, std::u16string_view member,
                           std::initializer_list<Argument> arguments) {
  ComPtr<IDispatch> result = Invoke(object, CallKind::kMethodOrGet, member, arguments).ToDispatch();
  if (!result) {
    throw Failure(u"The spreadsheet application gave no object for " + Shown(member),
                  kFailureObjectNotSet);
  }
  return result;
}

}  // namespace brintova::com
