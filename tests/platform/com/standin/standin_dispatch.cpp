#include "platform/com/standin/standin_dispatch.h"

#include "platform/com/standin/standin_instance.h"

namespace brintova::standin {

namespace {

// What this server's own objects answer to, so that an object passed back as an argument
// ("Before:=") is recognised.
// {3B0E5E0C-9A51-4F4A-8C1D-6E2B7A4D1F90}
const IID kIidStandInObject = {
    0x3b0e5e0c, 0x9a51, 0x4f4a, {0x8c, 0x1d, 0x6e, 0x2b, 0x7a, 0x4d, 0x1f, 0x90}};

constexpr HRESULT kApplicationDefinedError = static_cast<HRESULT>(0x800A03EC);

bool SameName(std::u16string_view a, const wchar_t* b) {
  return _wcsicmp(com::Wide(std::u16string(a)), b) == 0;
}

}  // namespace

const com::Variant& CallArguments::At(DISPID position, std::u16string_view what) const {
  const auto it = by_position.find(position);
  if (it == by_position.end()) throw Raised{u"Argument not optional: " + std::u16string(what)};
  return it->second;
}

AutomationObject::AutomationObject(Instance& instance, std::u16string label, const void* model)
    : instance_(&instance), label_(std::move(label)), model_(model) {
  instance_->ObjectCreated();
  if (model_ != nullptr) instance_->Remember(model_, this);
}

AutomationObject::~AutomationObject() { instance_->ObjectDestroyed(model_); }

HRESULT STDMETHODCALLTYPE AutomationObject::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidStandInObject) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE AutomationObject::AddRef() { return InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE AutomationObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE AutomationObject::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AutomationObject::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE AutomationObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                          DISPID* ids) {
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (std::size_t m = 0; m < members_.size(); ++m) {
    if (!SameName(members_[m].name, names[0])) continue;
    ids[0] = static_cast<DISPID>(m + 1);
    HRESULT result = S_OK;
    for (UINT i = 1; i < count; ++i) {
      const auto& parameters = members_[m].parameters;
      for (std::size_t p = 0; p < parameters.size(); ++p) {
        if (SameName(parameters[p], names[i])) ids[i] = static_cast<DISPID>(p);
      }
      if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
  }
  return DISP_E_UNKNOWNNAME;
}

namespace {

std::u16string Shown(const com::Variant& value) {
  if (value.type() == VT_DISPATCH) {
    const AutomationObject* ours = OwnObject(value);
    return ours != nullptr ? u"<" + ours->label() + u">" : u"<object>";
  }
  if (value.type() == (VT_ERROR) && value.get().scode == DISP_E_PARAMNOTFOUND) return u"<missing>";
  try {
    return value.ToText();
  } catch (...) {
    return u"<?>";
  }
}

}  // namespace

HRESULT STDMETHODCALLTYPE AutomationObject::Invoke(DISPID id, REFIID, LCID, WORD flags,
                                                   DISPPARAMS* parameters, VARIANT* result,
                                                   EXCEPINFO* exception, UINT*) {
  const Member* member = nullptr;
  if (id == DISPID_VALUE && !default_member_.empty()) {
    for (const Member& m : members_) {
      if (m.name == default_member_) member = &m;
    }
  } else if (id >= 1 && static_cast<std::size_t>(id) <= members_.size()) {
    member = &members_[static_cast<std::size_t>(id) - 1];
  }
  if (member == nullptr) return DISP_E_MEMBERNOTFOUND;

  CallArguments call;
  call.flags = flags;
  std::u16string entry = label_ + u"." + (id == DISPID_VALUE ? u"" : member->name);
  const UINT named = parameters->cNamedArgs;
  for (UINT i = 0; i < named; ++i) {
    com::Variant value;
    VariantCopyInd(value.Receive(), &parameters->rgvarg[i]);
    const DISPID position = parameters->rgdispidNamedArgs[i];
    if (position == DISPID_PROPERTYPUT) {
      entry += u"=" + Shown(value);
      call.new_value = std::move(value);
      continue;
    }
    call.named.push_back(position);
    const auto& names = member->parameters;
    entry += u" " + (static_cast<std::size_t>(position) < names.size() ? names[position] : u"?") +
             u":=" + Shown(value);
    call.by_position[position] = std::move(value);
  }
  for (UINT k = 0; k + named < parameters->cArgs; ++k) {
    com::Variant value;
    VariantCopyInd(value.Receive(), &parameters->rgvarg[parameters->cArgs - 1 - k]);
    entry += u" " + Shown(value);
    call.by_position[static_cast<DISPID>(k)] = std::move(value);
  }
  instance_->Log(entry);

  try {
    instance_->CheckAnswering(label_, member->name, AnswersAfterQuit(*member));
    com::Variant answer = member->handler(call);
    if (result != nullptr) *result = answer.Detach();
    return S_OK;
  } catch (const Raised& raised) {
    instance_->Log(u"  raised: " + raised.description);
    if (exception != nullptr) {
      *exception = EXCEPINFO{};
      exception->scode = kApplicationDefinedError;
      exception->bstrSource = SysAllocString(L"Stand-in spreadsheet application");
      exception->bstrDescription = com::Bstr(raised.description).Release();
    }
    return DISP_E_EXCEPTION;
  }
}

AutomationObject* OwnObject(const com::Variant& value) {
  if (value.type() != VT_DISPATCH || value.get().pdispVal == nullptr) return nullptr;
  IDispatch* ours = nullptr;
  if (FAILED(value.get().pdispVal->QueryInterface(kIidStandInObject,
                                                  reinterpret_cast<void**>(&ours)))) {
    return nullptr;
  }
  ours->Release();  // the caller's argument keeps it alive
  return static_cast<AutomationObject*>(ours);
}

com::Variant Returned(AutomationObject* object) {
  com::Variant result(static_cast<IDispatch*>(object));
  object->Release();  // the variant holds the reference now
  return result;
}

}  // namespace brintova::standin
