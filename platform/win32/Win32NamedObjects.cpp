// Win32 back end of the named objects: file mappings backed by the paging file, and named events.
#include "platform/Platform.h"

#include <windows.h>

namespace platform {
namespace {

class TWin32SharedMemory final : public ISharedMemory {
public:
    TWin32SharedMemory(HANDLE mapping, void* view, std::size_t size)
        : Mapping_(mapping), View_(view), Size_(size) {}
    ~TWin32SharedMemory() override {
        UnmapViewOfFile(View_);
        CloseHandle(Mapping_);
    }
    TWin32SharedMemory(const TWin32SharedMemory&) = delete;
    TWin32SharedMemory& operator=(const TWin32SharedMemory&) = delete;

    unsigned char* Data() override { return static_cast<unsigned char*>(View_); }
    std::size_t Size() const override { return Size_; }

private:
    HANDLE Mapping_;
    void* View_;
    std::size_t Size_;
};

class TWin32Event final : public INamedEvent {
public:
    explicit TWin32Event(HANDLE event) : Event_(event) {}
    ~TWin32Event() override { CloseHandle(Event_); }
    TWin32Event(const TWin32Event&) = delete;
    TWin32Event& operator=(const TWin32Event&) = delete;

    bool Wait(std::uint32_t timeoutMs) override {
        return WaitForSingleObject(Event_, timeoutMs) == WAIT_OBJECT_0;
    }
    bool Signal() override { return SetEvent(Event_) != FALSE; }

private:
    HANDLE Event_;
};

class TWin32NamedObjects final : public INamedObjects {
public:
    std::unique_ptr<ISharedMemory> OpenSharedMemory(const std::string& name, std::size_t size) override {
        if (size == 0)
            return nullptr;
        const auto bytes = static_cast<unsigned long long>(size);
        HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, DWORD(bytes >> 32),
                                            DWORD(bytes & 0xFFFFFFFFu), name.c_str());
        if (!mapping)
            return nullptr;
        // Mapping a view larger than an existing block fails, so the block is never read past its end.
        void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
        if (!view) {
            CloseHandle(mapping);
            return nullptr;
        }
        return std::make_unique<TWin32SharedMemory>(mapping, view, size);
    }

    std::unique_ptr<INamedEvent> OpenAutoResetEvent(const std::string& name) override {
        HANDLE event = CreateEventA(nullptr, FALSE, FALSE, name.c_str());
        if (!event)
            return nullptr;
        return std::make_unique<TWin32Event>(event);
    }
};

} // namespace

INamedObjects& SystemNamedObjects() {
    static TWin32NamedObjects objects;
    return objects;
}

} // namespace platform
