// The contract's servers in the Windows build: the spreadsheet server over automation, driving
// the stand-in spreadsheet application out of process. Every instance a case created is told
// to quit when the case ends, so none is left visible for the next.
#include <gtest/gtest.h>

#include "contract/contract_servers.h"
#include "platform/com/standin_support.h"

namespace brintova::contract {

namespace {

class QuittingServer : public com::ComSpreadsheetServer {
 public:
  QuittingServer() : ComSpreadsheetServer(std::u16string(com::testing::kStandInProgId)) {}
  ~QuittingServer() override {
    for (const auto& instance : created_) {
      try {
        instance->Quit();
      } catch (const Failure&) {
        // Quit already.
      }
    }
  }
  std::shared_ptr<Application> CreateObject(std::u16string_view prog_id) override {
    created_.push_back(ComSpreadsheetServer::CreateObject(prog_id));
    return created_.back();
  }

 private:
  std::vector<std::shared_ptr<Application>> created_;
};

const auto* const kApartment =
    ::testing::AddGlobalTestEnvironment(new com::testing::ApartmentEnvironment);

}  // namespace

std::vector<ServerUnderTest> BuildServersUnderTest() {
  return {
      {"Automation",
       []() -> std::unique_ptr<SpreadsheetServer> { return std::make_unique<QuittingServer>(); },
       /*retypes_values=*/true, /*running_instance_is_any_visible=*/true}};
}

}  // namespace brintova::contract
