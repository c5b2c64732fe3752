// Linux back end of the media session: MPRIS 2 over the D-Bus session bus, spoken with libdbus on one
// private connection. Every call blocks for at most the time-out. Once watching, the players' signals (and
// the bus's news of players coming and going) are parsed as they are dispatched and queued until
// WaitForSignals hands them out; signals are sent by a player's unique name, so the owners of the players'
// names are kept to tell whose signal it is. The connection is opened on first use and again after it breaks
// (at most once a second), and never by starting a bus of its own.
#include "platform/MediaSession.h"

#include <dbus/dbus.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

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
constexpr std::size_t kMaxArtists = 32;
// Most signals kept between two waits; a player that floods the bus cannot make the queue grow further.
constexpr std::size_t kMaxPendingSignals = 1024;
constexpr auto kReconnectPause = std::chrono::seconds(1);

// What is listened to: the player interface's property changes and seeks of every player, and the bus's
// news of names under the MPRIS prefix.
const char* const kMatchRules[] = {
    "type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
    "path='/org/mpris/MediaPlayer2',arg0='org.mpris.MediaPlayer2.Player'",
    "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked',path='/org/mpris/MediaPlayer2'",
    "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',member='NameOwnerChanged',"
    "arg0namespace='org.mpris.MediaPlayer2'",
};

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

// An array of strings (at most kMaxArtists of them), or a single string.
void ReadTexts(DBusMessageIter* it, std::vector<std::string>& out) {
    out.clear();
    std::string text;
    if (TypeOf(it) != DBUS_TYPE_ARRAY) {
        if (ReadText(it, text))
            out.push_back(text);
        return;
    }
    DBusMessageIter items;
    dbus_message_iter_recurse(it, &items);
    for (; out.size() < kMaxArtists && ReadText(&items, text); dbus_message_iter_next(&items))
        out.push_back(text);
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
            ReadTexts(value, metadata.artists);
        else if (std::strcmp(key, "xesam:url") == 0)
            ReadText(value, metadata.url);
        else if (std::strcmp(key, "mpris:length") == 0 && !ReadInteger(value, metadata.lengthUs))
            metadata.lengthUs = -1;
    });
}

// One property of the player interface into the state; true when it is one the state holds.
bool ReadPlayerProperty(const char* key, DBusMessageIter* value, TMediaPlayerState& state, bool& status,
                        bool& metadata) {
    if (std::strcmp(key, "PlaybackStatus") == 0) {
        status = ReadText(value, state.playbackStatus);
    } else if (std::strcmp(key, "Metadata") == 0) {
        state.metadata = TMediaMetadata();
        ReadMetadata(value, state.metadata);
        metadata = true;
    } else if (std::strcmp(key, "Position") == 0) {
        state.hasPosition = ReadInteger(value, state.positionUs);
    } else if (std::strcmp(key, "Volume") == 0) {
        state.hasVolume = ReadDouble(value, state.volume);
    } else if (std::strcmp(key, "Rate") == 0) {
        state.hasRate = ReadDouble(value, state.rate);
    } else {
        return false;
    }
    return true;
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
        : Address_(std::move(address)), TimeoutMs_(timeoutMs),
          WakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~TDBusMediaSession() override {
        Drop();
        if (WakeFd_ >= 0)
            close(WakeFd_);
    }
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
        if (Watching_)
            LearnOwners(players);
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
        bool status = false, metadata = false;
        const bool isDictionary = ForEachEntry(&it, [&](const char* key, DBusMessageIter* value) {
            ReadPlayerProperty(key, value, read, status, metadata);
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

    bool Watch() override {
        if (Watching_)
            return true;
        if (!Connected())
            return false;
        for (const char* rule : kMatchRules) {
            TMessagePtr reply;
            if (CallBus("AddMatch", rule, reply) != TMediaCall::Ok || !Conn_)
                return false;
        }
        Watching_ = true;
        return true;
    }

    void WaitForSignals(int timeoutMs, std::vector<TMediaSignal>& received) override {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        bool woken = false;
        // What has come already is taken even without waiting.
        if (Conn_ && (!dbus_connection_read_write(Conn_, 0) || !dbus_connection_get_is_connected(Conn_)))
            Drop();
        for (;;) {
            DispatchAll();
            if (!Pending_.empty() || woken)
                break;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0)
                break;
            pollfd fds[2] = {{WakeFd_, POLLIN, 0}, {-1, POLLIN, 0}};
            int busFd = -1;
            if (Conn_ && dbus_connection_get_unix_fd(Conn_, &busFd))
                fds[1].fd = busFd;
            if (poll(fds, fds[1].fd >= 0 ? 2 : 1, int(std::min<long long>(left, 60000))) < 0)
                continue; // interrupted: the deadline decides
            if (fds[0].revents & POLLIN) {
                eventfd_t value = 0;
                eventfd_read(WakeFd_, &value);
                woken = true;
            }
            if (fds[1].fd >= 0 && fds[1].revents != 0) {
                if (!dbus_connection_read_write(Conn_, 0) || !dbus_connection_get_is_connected(Conn_))
                    Drop();
            }
        }
        for (auto& signal : Pending_)
            received.push_back(std::move(signal));
        Pending_.clear();
    }

    void Wake() override {
        if (WakeFd_ >= 0)
            eventfd_write(WakeFd_, 1);
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
        // Messages nobody waits for (signals, calls from others, late replies) are handled and freed here,
        // so the incoming queue never grows; the players' signals are kept by the filter.
        DispatchAll();
        return result;
    }

    void DispatchAll() {
        if (!Conn_)
            return;
        while (Conn_ && dbus_connection_dispatch(Conn_) == DBUS_DISPATCH_DATA_REMAINS) {
        }
    }

    // The owners (unique names) of the players' names, asked of the bus for those not known yet; the bus's
    // NameOwnerChanged signals keep them up to date from then on.
    void LearnOwners(const std::vector<std::string>& players) {
        for (auto it = OwnerOf_.begin(); it != OwnerOf_.end();)
            it = std::binary_search(players.begin(), players.end(), it->first) ? std::next(it)
                                                                               : OwnerOf_.erase(it);
        for (const auto& name : players) {
            if (OwnerOf_.count(name))
                continue;
            TMessagePtr reply;
            if (CallBus("GetNameOwner", name.c_str(), reply) != TMediaCall::Ok)
                continue;
            DBusMessageIter it;
            std::string owner;
            if (dbus_message_iter_init(reply.get(), &it) && ReadText(&it, owner) && !owner.empty())
                OwnerOf_[name] = owner;
        }
    }

    void Queue(TMediaSignal signal) {
        if (Pending_.size() >= kMaxPendingSignals) {
            Pending_.clear();
            TMediaSignal overflow;
            overflow.kind = TMediaSignal::TKind::Overflow;
            Pending_.push_back(std::move(overflow));
            return;
        }
        Pending_.push_back(std::move(signal));
    }

    // The signal for every player name the sender owns.
    void QueueFromSender(const char* sender, const TMediaSignal& signal) {
        if (!sender)
            return;
        for (const auto& [name, owner] : OwnerOf_) {
            if (owner == sender) {
                TMediaSignal copy = signal;
                copy.player = name;
                Queue(std::move(copy));
            }
        }
    }

    static DBusHandlerResult Filter(DBusConnection*, DBusMessage* message, void* self) {
        if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_SIGNAL)
            static_cast<TDBusMediaSession*>(self)->OnSignal(message);
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }

    void OnSignal(DBusMessage* message) {
        if (!Watching_)
            return;
        const char* sender = dbus_message_get_sender(message);
        DBusMessageIter it;
        if (dbus_message_is_signal(message, kBusService, "NameOwnerChanged")) {
            if (!sender || std::strcmp(sender, kBusService) != 0)
                return;
            std::string name, oldOwner, newOwner;
            if (!dbus_message_iter_init(message, &it) || !ReadText(&it, name) ||
                !dbus_message_iter_next(&it) || !ReadText(&it, oldOwner) || !dbus_message_iter_next(&it) ||
                !ReadText(&it, newOwner))
                return;
            const std::size_t prefix = std::strlen(kPlayerPrefix);
            if (name.size() <= prefix || name.compare(0, prefix, kPlayerPrefix) != 0)
                return;
            TMediaSignal signal;
            signal.player = name;
            if (newOwner.empty()) {
                OwnerOf_.erase(name);
                signal.kind = TMediaSignal::TKind::Vanished;
            } else {
                OwnerOf_[name] = newOwner;
                signal.kind = TMediaSignal::TKind::Appeared;
            }
            Queue(std::move(signal));
            return;
        }
        const char* path = dbus_message_get_path(message);
        if (!path || std::strcmp(path, kObjectPath) != 0)
            return;
        if (dbus_message_is_signal(message, kPropertiesInterface, "PropertiesChanged")) {
            std::string interface;
            if (!dbus_message_iter_init(message, &it) || !ReadText(&it, interface) ||
                interface != kPlayerInterface || !dbus_message_iter_next(&it))
                return;
            TMediaSignal signal;
            signal.kind = TMediaSignal::TKind::Changed;
            if (!ForEachEntry(&it, [&](const char* key, DBusMessageIter* value) {
                    ReadPlayerProperty(key, value, signal.state, signal.hasStatus, signal.hasMetadata);
                }))
                return;
            if (dbus_message_iter_next(&it) && TypeOf(&it) == DBUS_TYPE_ARRAY) {
                DBusMessageIter names;
                dbus_message_iter_recurse(&it, &names);
                signal.invalidated = TypeOf(&names) == DBUS_TYPE_STRING;
            }
            QueueFromSender(sender, signal);
        } else if (dbus_message_is_signal(message, kPlayerInterface, "Seeked")) {
            TMediaSignal signal;
            signal.kind = TMediaSignal::TKind::Seeked;
            if (!dbus_message_iter_init(message, &it) || !ReadInteger(&it, signal.positionUs))
                return;
            QueueFromSender(sender, signal);
        }
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
        dbus_connection_add_filter(Conn_, &TDBusMediaSession::Filter, this, nullptr);
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
        dbus_connection_remove_filter(Conn_, &TDBusMediaSession::Filter, this);
        dbus_connection_close(Conn_);
        dbus_connection_unref(Conn_);
        Conn_ = nullptr;
        OwnerOf_.clear();
        if (Watching_) {
            Watching_ = false;
            TMediaSignal lost;
            lost.kind = TMediaSignal::TKind::Lost;
            Queue(std::move(lost));
        }
    }

    std::string Address_;
    int TimeoutMs_;
    int WakeFd_;
    DBusConnection* Conn_ = nullptr;
    bool Watching_ = false;
    std::map<std::string, std::string> OwnerOf_; // player name -> unique name of its owner
    std::vector<TMediaSignal> Pending_;
    bool Attempted_ = false;
    std::chrono::steady_clock::time_point LastAttempt_;
};

} // namespace

std::unique_ptr<IMediaSession> CreateMediaSession(const std::string& busAddress, int timeoutMs) {
    return std::make_unique<TDBusMediaSession>(busAddress, timeoutMs > 0 ? timeoutMs : kMediaCallTimeoutMs);
}

} // namespace platform
