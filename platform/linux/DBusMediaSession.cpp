// Linux back end of the media session: MPRIS 2 over the D-Bus session bus, spoken with libdbus on one
// private connection. Every call blocks for at most the time-out; nothing listens for signals, the caller's
// poll asks. The connection is opened on first use and again after it breaks (at most once a second), and
// never by starting a bus of its own.
#include "platform/MediaSession.h"

#include <dbus/dbus.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

const char* const kBusService = "org.freedesktop.DBus";
const char* const kBusPath = "/org/freedesktop/DBus";
const char* const kPlayerPrefix = "org.mpris.MediaPlayer2.";
const char* const kObjectPath = "/org/mpris/MediaPlayer2";
const char* const kRootInterface = "org.mpris.MediaPlayer2";
const char* const kPlayerInterface = "org.mpris.MediaPlayer2.Player";
const char* const kPropertiesInterface = "org.freedesktop.DBus.Properties";

// Longest text taken from a player, and most player names listed: a misbehaving player cannot make us hold
// more than this.
constexpr std::size_t kMaxText = 16384;
constexpr std::size_t kMaxPlayers = 64;
constexpr auto kReconnectPause = std::chrono::seconds(1);

struct TUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using TMessagePtr = std::unique_ptr<DBusMessage, TUnref>;

// The text, cut to kMaxText bytes at a character boundary.
std::string Capped(const char* text) {
    std::string s = text ? text : "";
    if (s.size() > kMaxText) {
        std::size_t n = kMaxText;
        while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
            --n;
        s.resize(n);
    }
    return s;
}

int TypeOf(DBusMessageIter* it) {
    return dbus_message_iter_get_arg_type(it);
}

// A string or an object path.
bool ReadText(DBusMessageIter* it, std::string& out) {
    if (TypeOf(it) != DBUS_TYPE_STRING && TypeOf(it) != DBUS_TYPE_OBJECT_PATH)
        return false;
    const char* text = nullptr;
    dbus_message_iter_get_basic(it, &text);
    out = Capped(text);
    return true;
}

// A string, or the first string of an array of strings.
bool ReadFirstText(DBusMessageIter* it, std::string& out) {
    if (TypeOf(it) != DBUS_TYPE_ARRAY)
        return ReadText(it, out);
    DBusMessageIter items;
    dbus_message_iter_recurse(it, &items);
    return ReadText(&items, out);
}

std::int64_t Clamp64(double value) {
    if (!std::isfinite(value))
        return 0;
    if (value >= 9.2e18)
        return INT64_MAX;
    if (value <= -9.2e18)
        return INT64_MIN;
    return std::int64_t(value);
}

// Any integer type, or a double (players differ in the type they send times in).
bool ReadInteger(DBusMessageIter* it, std::int64_t& out) {
    switch (TypeOf(it)) {
    case DBUS_TYPE_INT64: {
        dbus_int64_t v = 0;
        dbus_message_iter_get_basic(it, &v);
        out = v;
        return true;
    }
    case DBUS_TYPE_UINT64: {
        dbus_uint64_t v = 0;
        dbus_message_iter_get_basic(it, &v);
        out = v > dbus_uint64_t(INT64_MAX) ? INT64_MAX : std::int64_t(v);
        return true;
    }
    case DBUS_TYPE_INT32: {
        dbus_int32_t v = 0;
        dbus_message_iter_get_basic(it, &v);
        out = v;
        return true;
    }
    case DBUS_TYPE_UINT32: {
        dbus_uint32_t v = 0;
        dbus_message_iter_get_basic(it, &v);
        out = v;
        return true;
    }
    case DBUS_TYPE_DOUBLE: {
        double v = 0;
        dbus_message_iter_get_basic(it, &v);
        out = Clamp64(v);
        return true;
    }
    default:
        return false;
    }
}

bool ReadDouble(DBusMessageIter* it, double& out) {
    if (TypeOf(it) == DBUS_TYPE_DOUBLE) {
        dbus_message_iter_get_basic(it, &out);
        if (!std::isfinite(out))
            out = 0;
        return true;
    }
    std::int64_t v = 0;
    if (!ReadInteger(it, v))
        return false;
    out = double(v);
    return true;
}

// Steps into a variant.
bool EnterVariant(DBusMessageIter* it, DBusMessageIter* inner) {
    if (TypeOf(it) != DBUS_TYPE_VARIANT)
        return false;
    dbus_message_iter_recurse(it, inner);
    return true;
}

// Calls visit(key, value) for every entry of an a{sv} dictionary; false when it is not one.
template <typename TVisit> bool ForEachEntry(DBusMessageIter* it, TVisit visit) {
    if (TypeOf(it) != DBUS_TYPE_ARRAY || dbus_message_iter_get_element_type(it) != DBUS_TYPE_DICT_ENTRY)
        return false;
    DBusMessageIter dict;
    dbus_message_iter_recurse(it, &dict);
    while (TypeOf(&dict) == DBUS_TYPE_DICT_ENTRY) {
        DBusMessageIter entry, value;
        dbus_message_iter_recurse(&dict, &entry);
        const char* key = nullptr;
        if (TypeOf(&entry) == DBUS_TYPE_STRING) {
            dbus_message_iter_get_basic(&entry, &key);
            dbus_message_iter_next(&entry);
            if (key && EnterVariant(&entry, &value))
                visit(key, &value);
        }
        dbus_message_iter_next(&dict);
    }
    return true;
}

void ReadMetadata(DBusMessageIter* it, TMediaMetadata& metadata) {
    ForEachEntry(it, [&](const char* key, DBusMessageIter* value) {
        if (std::strcmp(key, "mpris:trackid") == 0)
            ReadText(value, metadata.trackId);
        else if (std::strcmp(key, "xesam:title") == 0)
            ReadText(value, metadata.title);
        else if (std::strcmp(key, "xesam:artist") == 0)
            ReadFirstText(value, metadata.artist);
        else if (std::strcmp(key, "xesam:url") == 0)
            ReadText(value, metadata.url);
        else if (std::strcmp(key, "mpris:length") == 0 && !ReadInteger(value, metadata.lengthUs))
            metadata.lengthUs = -1;
    });
}

TMediaCall Classify(const char* errorName) {
    if (!errorName)
        return TMediaCall::Failed;
    if (std::strcmp(errorName, DBUS_ERROR_SERVICE_UNKNOWN) == 0 ||
        std::strcmp(errorName, DBUS_ERROR_NAME_HAS_NO_OWNER) == 0 ||
        std::strcmp(errorName, DBUS_ERROR_DISCONNECTED) == 0)
        return TMediaCall::NoPlayer;
    if (std::strcmp(errorName, DBUS_ERROR_NO_REPLY) == 0 || std::strcmp(errorName, DBUS_ERROR_TIMEOUT) == 0 ||
        std::strcmp(errorName, DBUS_ERROR_TIMED_OUT) == 0)
        return TMediaCall::TimedOut;
    return TMediaCall::Failed;
}

// The user's session bus: DBUS_SESSION_BUS_ADDRESS, else the per-user socket most desktops run.
std::string UserBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return address;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const std::string socket = std::string(runtime) + "/bus";
        struct stat info {};
        if (stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
            return "unix:path=" + socket;
    }
    return {};
}

class TDBusMediaSession final : public IMediaSession {
public:
    TDBusMediaSession(std::string address, int timeoutMs)
        : Address_(std::move(address)), TimeoutMs_(timeoutMs) {}
    ~TDBusMediaSession() override { Drop(); }
    TDBusMediaSession(const TDBusMediaSession&) = delete;
    TDBusMediaSession& operator=(const TDBusMediaSession&) = delete;

    std::vector<std::string> ListPlayers() override {
        std::vector<std::string> players;
        TMessagePtr reply;
        if (CallBus("ListNames", nullptr, reply) != TMediaCall::Ok)
            return players;
        DBusMessageIter it, names;
        if (!dbus_message_iter_init(reply.get(), &it) || TypeOf(&it) != DBUS_TYPE_ARRAY)
            return players;
        dbus_message_iter_recurse(&it, &names);
        const std::size_t prefix = std::strlen(kPlayerPrefix);
        for (; TypeOf(&names) == DBUS_TYPE_STRING; dbus_message_iter_next(&names)) {
            const char* name = nullptr;
            dbus_message_iter_get_basic(&names, &name);
            if (name && std::strncmp(name, kPlayerPrefix, prefix) == 0 && std::strlen(name) > prefix)
                players.emplace_back(name);
        }
        std::sort(players.begin(), players.end());
        if (players.size() > kMaxPlayers)
            players.resize(kMaxPlayers);
        return players;
    }

    bool IsPlayerPresent(const std::string& player) override {
        if (!dbus_validate_bus_name(player.c_str(), nullptr))
            return false;
        TMessagePtr reply;
        if (CallBus("NameHasOwner", player.c_str(), reply) != TMediaCall::Ok)
            return false;
        dbus_bool_t owned = FALSE;
        DBusMessageIter it;
        if (!dbus_message_iter_init(reply.get(), &it) || TypeOf(&it) != DBUS_TYPE_BOOLEAN)
            return false;
        dbus_message_iter_get_basic(&it, &owned);
        return owned;
    }

    TMediaCall Identity(const std::string& player, std::string& identity) override {
        return GetProperty(player, kRootInterface, "Identity",
                           [&](DBusMessageIter* value) { return ReadText(value, identity); });
    }

    TMediaCall ReadState(const std::string& player, TMediaPlayerState& state) override {
        TMessagePtr request = NewCall(player, kPropertiesInterface, "GetAll");
        if (!request)
            return TMediaCall::Failed;
        const char* interface = kPlayerInterface;
        dbus_message_append_args(request.get(), DBUS_TYPE_STRING, &interface, DBUS_TYPE_INVALID);
        TMessagePtr reply;
        const TMediaCall result = Call(request.get(), reply);
        if (result != TMediaCall::Ok)
            return result;
        TMediaPlayerState read;
        DBusMessageIter it;
        if (!dbus_message_iter_init(reply.get(), &it))
            return TMediaCall::Failed;
        const bool isDictionary = ForEachEntry(&it, [&](const char* key, DBusMessageIter* value) {
            if (std::strcmp(key, "PlaybackStatus") == 0)
                ReadText(value, read.playbackStatus);
            else if (std::strcmp(key, "Metadata") == 0)
                ReadMetadata(value, read.metadata);
            else if (std::strcmp(key, "Position") == 0)
                read.hasPosition = ReadInteger(value, read.positionUs);
            else if (std::strcmp(key, "Volume") == 0)
                read.hasVolume = ReadDouble(value, read.volume);
        });
        if (!isDictionary)
            return TMediaCall::Failed;
        state = std::move(read);
        return TMediaCall::Ok;
    }

    TMediaCall PlaybackStatus(const std::string& player, std::string& status) override {
        return GetProperty(player, kPlayerInterface, "PlaybackStatus",
                           [&](DBusMessageIter* value) { return ReadText(value, status); });
    }

    TMediaCall Volume(const std::string& player, double& volume) override {
        return GetProperty(player, kPlayerInterface, "Volume",
                           [&](DBusMessageIter* value) { return ReadDouble(value, volume); });
    }

    TMediaCall SetVolume(const std::string& player, double volume) override {
        TMessagePtr request = NewCall(player, kPropertiesInterface, "Set");
        if (!request)
            return TMediaCall::Failed;
        const char* interface = kPlayerInterface;
        const char* property = "Volume";
        DBusMessageIter it, variant;
        dbus_message_iter_init_append(request.get(), &it);
        dbus_message_iter_append_basic(&it, DBUS_TYPE_STRING, &interface);
        dbus_message_iter_append_basic(&it, DBUS_TYPE_STRING, &property);
        dbus_message_iter_open_container(&it, DBUS_TYPE_VARIANT, DBUS_TYPE_DOUBLE_AS_STRING, &variant);
        dbus_message_iter_append_basic(&variant, DBUS_TYPE_DOUBLE, &volume);
        dbus_message_iter_close_container(&it, &variant);
        TMessagePtr reply;
        return Call(request.get(), reply);
    }

    TMediaCall Command(const std::string& player, TMediaCommand command) override {
        const char* method = "Play";
        const char* interface = kPlayerInterface;
        switch (command) {
        case TMediaCommand::Play:
            method = "Play";
            break;
        case TMediaCommand::Pause:
            method = "Pause";
            break;
        case TMediaCommand::PlayPause:
            method = "PlayPause";
            break;
        case TMediaCommand::Stop:
            method = "Stop";
            break;
        case TMediaCommand::Next:
            method = "Next";
            break;
        case TMediaCommand::Previous:
            method = "Previous";
            break;
        case TMediaCommand::Raise:
            method = "Raise";
            interface = kRootInterface;
            break;
        }
        TMessagePtr request = NewCall(player, interface, method);
        if (!request)
            return TMediaCall::Failed;
        TMessagePtr reply;
        return Call(request.get(), reply);
    }

    TMediaCall Seek(const std::string& player, std::int64_t offsetUs) override {
        TMessagePtr request = NewCall(player, kPlayerInterface, "Seek");
        if (!request)
            return TMediaCall::Failed;
        dbus_int64_t offset = offsetUs;
        dbus_message_append_args(request.get(), DBUS_TYPE_INT64, &offset, DBUS_TYPE_INVALID);
        TMessagePtr reply;
        return Call(request.get(), reply);
    }

    TMediaCall SetPosition(const std::string& player, const std::string& trackId,
                           std::int64_t positionUs) override {
        if (!dbus_validate_path(trackId.c_str(), nullptr))
            return TMediaCall::Failed;
        TMessagePtr request = NewCall(player, kPlayerInterface, "SetPosition");
        if (!request)
            return TMediaCall::Failed;
        const char* path = trackId.c_str();
        dbus_int64_t position = positionUs;
        dbus_message_append_args(request.get(), DBUS_TYPE_OBJECT_PATH, &path, DBUS_TYPE_INT64, &position,
                                 DBUS_TYPE_INVALID);
        TMessagePtr reply;
        return Call(request.get(), reply);
    }

private:
    // A method call to the player's object; null when the name is not a valid bus name (libdbus would
    // abort on it).
    static TMessagePtr NewCall(const std::string& player, const char* interface, const char* method) {
        if (!dbus_validate_bus_name(player.c_str(), nullptr))
            return nullptr;
        TMessagePtr request(dbus_message_new_method_call(player.c_str(), kObjectPath, interface, method));
        if (request)
            dbus_message_set_auto_start(request.get(), FALSE); // never let the bus start a player
        return request;
    }

    template <typename TRead>
    TMediaCall GetProperty(const std::string& player, const char* interface, const char* property,
                           TRead read) {
        TMessagePtr request = NewCall(player, kPropertiesInterface, "Get");
        if (!request)
            return TMediaCall::Failed;
        dbus_message_append_args(request.get(), DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property,
                                 DBUS_TYPE_INVALID);
        TMessagePtr reply;
        const TMediaCall result = Call(request.get(), reply);
        if (result != TMediaCall::Ok)
            return result;
        DBusMessageIter it, value;
        if (!dbus_message_iter_init(reply.get(), &it) || !EnterVariant(&it, &value) || !read(&value))
            return TMediaCall::Failed;
        return TMediaCall::Ok;
    }

    // A call to the bus itself, with an optional string argument.
    TMediaCall CallBus(const char* method, const char* argument, TMessagePtr& reply) {
        TMessagePtr request(dbus_message_new_method_call(kBusService, kBusPath, kBusService, method));
        if (!request)
            return TMediaCall::Failed;
        if (argument)
            dbus_message_append_args(request.get(), DBUS_TYPE_STRING, &argument, DBUS_TYPE_INVALID);
        return Call(request.get(), reply);
    }

    TMediaCall Call(DBusMessage* request, TMessagePtr& reply) {
        if (!Connected())
            return TMediaCall::NoPlayer;
        return Send(request, reply);
    }

    TMediaCall Send(DBusMessage* request, TMessagePtr& reply) {
        DBusError error;
        dbus_error_init(&error);
        DBusMessage* answer = dbus_connection_send_with_reply_and_block(Conn_, request, TimeoutMs_, &error);
        TMediaCall result = answer ? TMediaCall::Ok : Classify(error.name);
        dbus_error_free(&error);
        reply.reset(answer);
        if (!dbus_connection_get_is_connected(Conn_)) {
            Drop();
            return answer ? result : TMediaCall::NoPlayer;
        }
        // Messages nobody waits for (the bus's NameAcquired signal, calls from others, late replies) are
        // handled and freed here, so the incoming queue never grows.
        while (dbus_connection_dispatch(Conn_) == DBUS_DISPATCH_DATA_REMAINS) {
        }
        return result;
    }

    bool Connected() {
        if (Conn_)
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (Attempted_ && now - LastAttempt_ < kReconnectPause)
            return false;
        Attempted_ = true;
        LastAttempt_ = now;
        const std::string address = Address_.empty() ? UserBusAddress() : Address_;
        if (address.empty())
            return false;
        DBusError error;
        dbus_error_init(&error);
        Conn_ = dbus_connection_open_private(address.c_str(), &error);
        dbus_error_free(&error);
        if (!Conn_)
            return false;
        dbus_connection_set_exit_on_disconnect(Conn_, FALSE);
        // Registering on the bus is a call like any other, bounded by the same time-out.
        TMessagePtr hello(dbus_message_new_method_call(kBusService, kBusPath, kBusService, "Hello"));
        TMessagePtr reply;
        if (!hello || Send(hello.get(), reply) != TMediaCall::Ok) {
            Drop();
            return false;
        }
        return true;
    }

    void Drop() {
        if (!Conn_)
            return;
        dbus_connection_close(Conn_);
        dbus_connection_unref(Conn_);
        Conn_ = nullptr;
    }

    std::string Address_;
    int TimeoutMs_;
    DBusConnection* Conn_ = nullptr;
    bool Attempted_ = false;
    std::chrono::steady_clock::time_point LastAttempt_;
};

} // namespace

std::unique_ptr<IMediaSession> CreateMediaSession(const std::string& busAddress, int timeoutMs) {
    return std::make_unique<TDBusMediaSession>(busAddress, timeoutMs > 0 ? timeoutMs : kMediaCallTimeoutMs);
}

} // namespace platform
