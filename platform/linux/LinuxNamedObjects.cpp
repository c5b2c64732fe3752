// Linux back end of the named objects: the Windows players that share them do not exist here, so nothing
// is ever opened.
#include "platform/Platform.h"

namespace platform {
namespace {

class TNullNamedObjects final : public INamedObjects {
public:
    std::unique_ptr<ISharedMemory> OpenSharedMemory(const std::string&, std::size_t) override {
        return nullptr;
    }
    std::unique_ptr<INamedEvent> OpenAutoResetEvent(const std::string&) override { return nullptr; }
};

} // namespace

INamedObjects& SystemNamedObjects() {
    static TNullNamedObjects objects;
    return objects;
}

} // namespace platform
