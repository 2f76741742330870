// The stand-in's automation objects: IDispatch only, members and parameter names looked up
// without regard to case as a type library would, arguments decoded by parameter position
// whether they came named or positional, and every call written to the instance's call log
// with the way its arguments arrived ("Open fileName:=C:\a.xlt Editable:=True").
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/com/standin/standin_model.h"
#include "platform/com/variant.h"

namespace brintova::standin {

class Instance;

// One call as the member's handler sees it.
struct CallArguments {
  WORD flags = 0;
  std::map<DISPID, com::Variant> by_position;  // parameter position -> value
  std::vector<DISPID> named;                   // positions that came by name
  std::optional<com::Variant> new_value;       // the value of a property put

  bool IsPut() const { return new_value.has_value(); }
  bool Has(DISPID position) const { return by_position.count(position) != 0; }
  // The argument at `position`; throws Raised naming `what` when it is missing.
  const com::Variant& At(DISPID position, std::u16string_view what) const;
};

using Handler = std::function<com::Variant(const CallArguments&)>;

struct Member {
  std::u16string name;
  std::vector<std::u16string> parameters;
  Handler handler;
};

class AutomationObject : public IDispatch {
 public:
  // `label` names the object in the call log ("Workbooks", "Sheet1"). Counts itself as a live
  // object of `instance` until its last reference goes; when it stands for `model` (a workbook,
  // a sheet), the instance hands it out again for that model while it lives.
  AutomationObject(Instance& instance, std::u16string label, const void* model = nullptr);
  virtual ~AutomationObject();

  const std::u16string& label() const { return label_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override;

 protected:
  // Member 0 is the default member (DISPID_VALUE) when `default_member` is set.
  void AddMember(Member member) { members_.push_back(std::move(member)); }
  void SetDefaultMember(std::u16string name) { default_member_ = std::move(name); }
  Instance& instance() const { return *instance_; }
  LONG references() const { return references_; }
  // Members of a quit instance refuse every call; the stand-in for the application object
  // answers a few of its own after Quit.
  virtual bool AnswersAfterQuit(const Member&) const { return false; }

 private:
  Instance* instance_;
  std::u16string label_;
  std::vector<Member> members_;
  std::u16string default_member_;
  const void* model_;
  LONG references_ = 1;
};

// The stand-in's own object passed as an argument, or null for anything else (borrowed).
AutomationObject* OwnObject(const com::Variant& value);

// A new object's reference, as a VARIANT result (the object's own first reference moves in).
com::Variant Returned(AutomationObject* object);

}  // namespace brintova::standin
