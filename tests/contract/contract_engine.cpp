// The contract's servers in the Linux build: the embedded engine reading the fixture files.
#include "contract/contract_servers.h"
#include "engine/server/embedded_server.h"

namespace brintova::contract {

std::vector<ServerUnderTest> BuildServersUnderTest() {
  return {{"Engine", []() -> std::unique_ptr<SpreadsheetServer> {
             return std::make_unique<engine::EmbeddedServer>();
           }}};
}

}  // namespace brintova::contract
