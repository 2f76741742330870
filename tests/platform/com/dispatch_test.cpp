// The late-bound layer against an in-process object that records what arrives: the layout of
// the arguments, one name lookup per call, failures with the server's own words, references
// given back, blocks of cells read in the right order, and when busy calls are retried.
#include "platform/com/dispatch.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/com/message_filter.h"
#include "platform/com/sparse_cells.h"
#include "platform/failure.h"

namespace brintova::com {
namespace {

// Resolves argument names to their parameter positions, as a server with a type library does,
// and records each call; stack-owned, so references are only counted.
class RecordingObject : public IDispatch {
 public:
  struct Received {
    DISPID member;
    WORD flags;
    std::vector<VARTYPE> types;         // rgvarg as laid out
    std::vector<std::u16string> texts;  // rgvarg as text, as laid out
    std::vector<DISPID> named;          // rgdispidNamedArgs
  };
  std::vector<Received> calls;
  int name_lookups = 0;
  LONG references = 1;
  // When set, Invoke raises an exception with this description, filled in late.
  std::u16string raise;
  HRESULT fail_with = S_OK;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    ++name_lookups;
    static const std::map<std::wstring, DISPID> kMembers = {
        {L"Open", 10}, {L"Add", 11}, {L"Value", 12}, {L"Cells", 13}};
    static const std::map<std::wstring, DISPID> kParameters = {
        {L"filename", 0}, {L"editable", 9}, {L"before", 0}, {L"after", 1}};
    HRESULT result = S_OK;
    const auto member = kMembers.find(names[0]);
    ids[0] = member == kMembers.end() ? DISPID_UNKNOWN : member->second;
    if (member == kMembers.end()) result = DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < count; ++i) {
      std::wstring name = names[i];
      for (auto& c : name) c = static_cast<wchar_t>(towlower(c));
      const auto parameter = kParameters.find(name);
      ids[i] = parameter == kParameters.end() ? DISPID_UNKNOWN : parameter->second;
      if (parameter == kParameters.end()) result = DISP_E_UNKNOWNNAME;
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    Received received{member, flags, {}, {}, {}};
    for (UINT i = 0; i < parameters->cArgs; ++i) {
      const VARIANT& value = parameters->rgvarg[i];
      received.types.push_back(value.vt);
      received.texts.push_back(value.vt == VT_DISPATCH ? u"<object>" : TextOf(value));
    }
    for (UINT i = 0; i < parameters->cNamedArgs; ++i) {
      received.named.push_back(parameters->rgdispidNamedArgs[i]);
    }
    calls.push_back(received);
    if (fail_with != S_OK) return fail_with;
    if (!raise.empty()) {
      *exception = EXCEPINFO{};
      exception->pfnDeferredFillIn = &FillIn;
      pending_description = raise;
      return DISP_E_EXCEPTION;
    }
    if (result != nullptr) *result = Variant(u"done").Detach();
    return S_OK;
  }

 private:
  static std::u16string TextOf(const VARIANT& value) {
    VARIANT copy;
    VariantInit(&copy);
    VariantCopy(&copy, const_cast<VARIANT*>(&value));
    return Variant::Adopt(copy).ToText();
  }
  static inline std::u16string pending_description;
  static HRESULT STDMETHODCALLTYPE FillIn(EXCEPINFO* info) {
    info->scode = static_cast<HRESULT>(0x800A03EC);
    info->bstrDescription = Bstr(pending_description).Release();
    info->pfnDeferredFillIn = nullptr;
    return S_OK;
  }
};

using Texts = std::vector<std::u16string>;

TEST(Invoke, NamedArgumentsComeFirstAndPositionalOnesReversed) {
  RecordingObject object;
  Call(&object, u"Open",
       {Positional(u"a"), Positional(std::int32_t{2}), Named(u"fileName", u"C:\\x.xlt"),
        Named(u"Editable", true)});
  ASSERT_EQ(object.calls.size(), 1u);
  const auto& call = object.calls[0];
  EXPECT_EQ(call.member, 10);
  EXPECT_EQ(call.flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  EXPECT_EQ(call.texts, (Texts{u"C:\\x.xlt", u"True", u"2", u"a"}));
  EXPECT_EQ(call.named, (std::vector<DISPID>{0, 9}));
  EXPECT_EQ(object.name_lookups, 1) << "member and argument names in one lookup";
}

TEST(Invoke, PutPassesTheValueUnderPropertyPutAndKeepsIndexesPositional) {
  RecordingObject object;
  Put(&object, u"Value", Variant(u"007"),
      {Positional(std::int32_t{3}), Positional(std::int32_t{4})});
  const auto& call = object.calls.at(0);
  EXPECT_EQ(call.flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(call.texts, (Texts{u"007", u"4", u"3"}));
  EXPECT_EQ(call.named, (std::vector<DISPID>{DISPID_PROPERTYPUT}));
}

TEST(Invoke, AnObjectArgumentIsPassedByNameAndItsReferencesComeBack) {
  RecordingObject object;
  RecordingObject sheet;
  {
    const Variant before(static_cast<IDispatch*>(&sheet));
    EXPECT_EQ(sheet.references, 2);
    Call(&object, u"Add", {Named(u"Before", before)});
  }
  EXPECT_EQ(sheet.references, 1);
  EXPECT_EQ(object.references, 1);
  EXPECT_EQ(object.calls.at(0).types, std::vector<VARTYPE>{VT_DISPATCH});
  EXPECT_EQ(object.calls.at(0).named, std::vector<DISPID>{0});
}

TEST(Invoke, RefusesAPositionalArgumentAfterANamedOneWithoutCalling) {
  RecordingObject object;
  EXPECT_THROW(Call(&object, u"Open", {Named(u"Filename", u"x"), Positional(true)}), Failure);
  EXPECT_TRUE(object.calls.empty());
  EXPECT_EQ(object.name_lookups, 0);
}

TEST(Invoke, FailuresCarryTheServersWordsOrSayWhatWentWrong) {
  RecordingObject object;
  object.raise = u"Sorry, we couldn't find C:\\gone.xlsx.";
  try {
    Call(&object, u"Open", {Positional(u"C:\\gone.xlsx")});
    ADD_FAILURE() << "an exception of the server must fail the call";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.description(), u"Sorry, we couldn't find C:\\gone.xlsx.");
    EXPECT_EQ(static_cast<std::uint32_t>(failure.number()), 0x800A03ECu);
  }

  object.raise.clear();
  try {
    Call(&object, u"Open", {Named(u"NoSuchArgument", 1)});
    ADD_FAILURE() << "an unknown argument name must fail";
  } catch (const Failure& failure) {
    EXPECT_NE(failure.description().find(u"Open"), std::u16string::npos);
    EXPECT_EQ(failure.number(), static_cast<std::int32_t>(DISP_E_UNKNOWNNAME));
  }
  EXPECT_EQ(object.calls.size(), 1u) << "no call after a failed lookup";

  object.fail_with = RPC_E_CALL_REJECTED;
  try {
    Call(&object, u"Cells");
    ADD_FAILURE() << "a rejected call must fail";
  } catch (const Failure& failure) {
    EXPECT_NE(failure.description().find(u"busy"), std::u16string::npos);
    EXPECT_NE(failure.description().find(u"Cells"), std::u16string::npos);
  }
}

TEST(VariantGrid, ReadsABlockColumnByColumnAsTheApplicationLaysItOut) {
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, 1}};  // 2 rows, 3 columns, from 1
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  for (LONG row = 1; row <= 2; ++row) {
    for (LONG column = 1; column <= 3; ++column) {
      LONG index[2] = {row, column};
      Variant value(static_cast<std::int32_t>(row * 10 + column));
      SafeArrayPutElement(array, index, const_cast<VARIANT*>(&value.get()));
    }
  }
  VARIANT holder;
  VariantInit(&holder);
  holder.vt = VT_ARRAY | VT_VARIANT;
  holder.parray = array;
  const VariantGrid grid(Variant::Adopt(holder));
  ASSERT_EQ(grid.rows(), 2);
  ASSERT_EQ(grid.columns(), 3);
  for (std::int32_t row = 1; row <= 2; ++row) {
    for (std::int32_t column = 1; column <= 3; ++column) {
      EXPECT_EQ(grid.at(row, column).lVal, row * 10 + column) << row << "," << column;
    }
  }
  const VariantGrid single(Variant(u"one"));
  EXPECT_EQ(single.rows(), 1);
  EXPECT_EQ(single.at(1, 1).vt, VT_BSTR);
}

TEST(RetryDelay, RetriesABusyApplicationUntilTheLimitThenGivesUp) {
  using std::chrono::milliseconds;
  const milliseconds limit(30000);
  EXPECT_EQ(RetryDelay(milliseconds(0), SERVERCALL_RETRYLATER, limit), 250u);
  EXPECT_EQ(RetryDelay(milliseconds(29999), SERVERCALL_REJECTED, limit), 250u);
  EXPECT_EQ(RetryDelay(milliseconds(30000), SERVERCALL_RETRYLATER, limit), static_cast<DWORD>(-1));
}

TEST(CellReference, NamesColumnsWithLettersLikeTheApplication) {
  EXPECT_EQ(CellReference(1, 1), u"A1");
  EXPECT_EQ(CellReference(9, 26), u"Z9");
  EXPECT_EQ(CellReference(10, 27), u"AA10");
  EXPECT_EQ(CellReference(1048576, 16384), u"XFD1048576");
}

}  // namespace
}  // namespace brintova::com
