// fake_mpris_player: a small media player for end-to-end tests that publishes itself on the session bus
// through MPRIS 2, like mpv or VLC, but plays nothing and does what the test tells it on its standard input.
// Its position runs on the monotonic clock at its rate while it plays.
//
//   fake_mpris_player --name <name after org.mpris.MediaPlayer2.> --identity <text> [--no-position]
//                     [--no-signals]
//
// Control lines (fields separated by tabs), each answered by one line, "ok" unless said otherwise:
//   status <Playing|Paused|Stopped>              PlaybackStatus (signalled)
//   track <id> <title> <artists;...> <url> <us>  Metadata; the position goes to 0 (signalled)
//   position <us>                                a seek (Seeked)
//   rate <r>                                     Rate (signalled)
//   silent <0|1>                                 1: calls to the player get no answer at all
//   signals <0|1>                                0: changes are not signalled
//   get position                                 answers "position <us>"
//   get calls                                    answers "calls <member,member,...>": calls received
//   quit
// It prints "ready" once its name is on the bus, and ends when its input ends.
#include <dbus/dbus.h>

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char* const kPath = "/org/mpris/MediaPlayer2";
const char* const kRoot = "org.mpris.MediaPlayer2";
const char* const kPlayer = "org.mpris.MediaPlayer2.Player";
const char* const kProperties = "org.freedesktop.DBus.Properties";

struct TPlayer {
    std::string identity = "Fake Player";
    std::string status = "Stopped";
    std::string trackId = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
    std::string title, url;
    std::vector<std::string> artists;
    std::int64_t lengthUs = 0;
    std::int64_t anchorUs = 0; // the position at anchorTime
    Clock::time_point anchorTime = Clock::now();
    double rate = 1;
    double volume = 1;
    bool hasPosition = true;
    bool signals = true;
    bool silent = false;
    std::string calls;
    bool quit = false;

    std::int64_t PositionUs() const {
        if (status != "Playing")
            return anchorUs;
        const double elapsed = std::chrono::duration<double, std::micro>(Clock::now() - anchorTime).count();
        return anchorUs + std::int64_t(std::llround(elapsed * rate));
    }
    void SetPosition(std::int64_t us) {
        anchorUs = us < 0 ? 0 : us;
        anchorTime = Clock::now();
    }
};

TPlayer g;
DBusConnection* g_conn = nullptr;

void AppendVariant(DBusMessageIter* it, int type, const void* value) {
    const char signature[2] = {char(type), 0};
    DBusMessageIter variant;
    dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, signature, &variant);
    dbus_message_iter_append_basic(&variant, type, value);
    dbus_message_iter_close_container(it, &variant);
}

void AppendStrings(DBusMessageIter* it, const std::vector<std::string>& texts) {
    DBusMessageIter array;
    dbus_message_iter_open_container(it, DBUS_TYPE_ARRAY, "s", &array);
    for (const auto& text : texts) {
        const char* s = text.c_str();
        dbus_message_iter_append_basic(&array, DBUS_TYPE_STRING, &s);
    }
    dbus_message_iter_close_container(it, &array);
}

void AppendMetadata(DBusMessageIter* it) {
    DBusMessageIter variant, dict, entry, value;
    dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, "a{sv}", &variant);
    dbus_message_iter_open_container(&variant, DBUS_TYPE_ARRAY, "{sv}", &dict);
    auto key = [&](const char* name) {
        dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
        dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &name);
    };
    auto done = [&] { dbus_message_iter_close_container(&dict, &entry); };
    const char* track = g.trackId.c_str();
    key("mpris:trackid");
    AppendVariant(&entry, DBUS_TYPE_OBJECT_PATH, &track);
    done();
    if (g.lengthUs > 0) {
        key("mpris:length");
        dbus_int64_t length = g.lengthUs;
        AppendVariant(&entry, DBUS_TYPE_INT64, &length);
        done();
    }
    if (!g.title.empty()) {
        key("xesam:title");
        const char* title = g.title.c_str();
        AppendVariant(&entry, DBUS_TYPE_STRING, &title);
        done();
    }
    if (!g.url.empty()) {
        key("xesam:url");
        const char* url = g.url.c_str();
        AppendVariant(&entry, DBUS_TYPE_STRING, &url);
        done();
    }
    if (!g.artists.empty()) {
        key("xesam:artist");
        dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "as", &value);
        AppendStrings(&value, g.artists);
        dbus_message_iter_close_container(&entry, &value);
        done();
    }
    dbus_message_iter_close_container(&variant, &dict);
    dbus_message_iter_close_container(it, &variant);
}

// Appends the property as a variant; false when the interface has no such property.
bool AppendProperty(DBusMessageIter* it, const std::string& interface, const std::string& name) {
    dbus_bool_t yes = TRUE, no = FALSE;
    if (interface == kRoot) {
        if (name == "Identity") {
            const char* identity = g.identity.c_str();
            AppendVariant(it, DBUS_TYPE_STRING, &identity);
        } else if (name == "CanQuit" || name == "CanRaise") {
            AppendVariant(it, DBUS_TYPE_BOOLEAN, &yes);
        } else if (name == "HasTrackList") {
            AppendVariant(it, DBUS_TYPE_BOOLEAN, &no);
        } else {
            return false;
        }
        return true;
    }
    if (interface != kPlayer)
        return false;
    if (name == "PlaybackStatus") {
        const char* status = g.status.c_str();
        AppendVariant(it, DBUS_TYPE_STRING, &status);
    } else if (name == "Metadata") {
        AppendMetadata(it);
    } else if (name == "Position" && g.hasPosition) {
        dbus_int64_t position = g.PositionUs();
        AppendVariant(it, DBUS_TYPE_INT64, &position);
    } else if (name == "Rate") {
        AppendVariant(it, DBUS_TYPE_DOUBLE, &g.rate);
    } else if (name == "Volume") {
        AppendVariant(it, DBUS_TYPE_DOUBLE, &g.volume);
    } else if (name == "MinimumRate" || name == "MaximumRate") {
        double limit = name == "MinimumRate" ? 0.25 : 4.0;
        AppendVariant(it, DBUS_TYPE_DOUBLE, &limit);
    } else if (name == "CanPlay" || name == "CanPause" || name == "CanSeek" || name == "CanControl" ||
               name == "CanGoNext" || name == "CanGoPrevious") {
        AppendVariant(it, DBUS_TYPE_BOOLEAN, &yes);
    } else {
        return false;
    }
    return true;
}

const char* const kRootProperties[] = {"Identity", "CanQuit", "CanRaise", "HasTrackList"};
const char* const kPlayerProperties[] = {
    "PlaybackStatus", "Metadata", "Position", "Rate",       "Volume",    "MinimumRate",  "MaximumRate",
    "CanPlay",        "CanPause", "CanSeek",  "CanControl", "CanGoNext", "CanGoPrevious"};

void Send(DBusMessage* message) {
    dbus_connection_send(g_conn, message, nullptr);
    dbus_connection_flush(g_conn);
    dbus_message_unref(message);
}

void SignalChanged(const std::vector<const char*>& names) {
    if (!g.signals)
        return;
    DBusMessage* signal = dbus_message_new_signal(kPath, kProperties, "PropertiesChanged");
    DBusMessageIter it, dict, entry;
    dbus_message_iter_init_append(signal, &it);
    const char* interface = kPlayer;
    dbus_message_iter_append_basic(&it, DBUS_TYPE_STRING, &interface);
    dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, "{sv}", &dict);
    for (const char* name : names) {
        dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
        dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &name);
        AppendProperty(&entry, kPlayer, name);
        dbus_message_iter_close_container(&dict, &entry);
    }
    dbus_message_iter_close_container(&it, &dict);
    AppendStrings(&it, {});
    Send(signal);
}

void SignalSeeked() {
    if (!g.signals)
        return;
    DBusMessage* signal = dbus_message_new_signal(kPath, kPlayer, "Seeked");
    dbus_int64_t position = g.PositionUs();
    dbus_message_append_args(signal, DBUS_TYPE_INT64, &position, DBUS_TYPE_INVALID);
    Send(signal);
}

void SetStatus(const std::string& status) {
    if (status == g.status)
        return;
    g.SetPosition(status == "Stopped" ? 0 : g.PositionUs());
    g.status = status;
    SignalChanged({"PlaybackStatus"});
}

void Reply(DBusMessage* call, DBusMessage* reply) {
    if (!reply)
        reply = dbus_message_new_method_return(call);
    Send(reply);
}

DBusHandlerResult OnCall(DBusConnection*, DBusMessage* call, void*) {
    if (dbus_message_get_type(call) != DBUS_MESSAGE_TYPE_METHOD_CALL)
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    const char* path = dbus_message_get_path(call);
    const std::string interface = dbus_message_get_interface(call) ? dbus_message_get_interface(call) : "";
    const std::string member = dbus_message_get_member(call) ? dbus_message_get_member(call) : "";
    if (!path || std::strcmp(path, kPath) != 0)
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    g.calls += (g.calls.empty() ? "" : ",") + member;
    if (g.silent)
        return DBUS_HANDLER_RESULT_HANDLED; // never answered: the caller waits until it gives up
    DBusError error;
    dbus_error_init(&error);
    if (interface == kProperties && (member == "Get" || member == "GetAll")) {
        const char* iface = "";
        const char* name = "";
        const bool ok = member == "Get" ? dbus_message_get_args(call, &error, DBUS_TYPE_STRING, &iface,
                                                                DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID)
                                        : dbus_message_get_args(call, &error, DBUS_TYPE_STRING, &iface,
                                                                DBUS_TYPE_INVALID);
        dbus_error_free(&error);
        if (!ok) {
            Reply(call, dbus_message_new_error(call, DBUS_ERROR_INVALID_ARGS, "bad arguments"));
            return DBUS_HANDLER_RESULT_HANDLED;
        }
        DBusMessage* reply = dbus_message_new_method_return(call);
        DBusMessageIter it;
        dbus_message_iter_init_append(reply, &it);
        if (member == "Get") {
            if (!AppendProperty(&it, iface, name)) {
                dbus_message_unref(reply);
                Reply(call, dbus_message_new_error(call, DBUS_ERROR_UNKNOWN_PROPERTY, "no such property"));
                return DBUS_HANDLER_RESULT_HANDLED;
            }
        } else {
            DBusMessageIter dict, entry;
            dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, "{sv}", &dict);
            auto add = [&](const char* prop) {
                // Only properties that exist go in (Position may not).
                if (std::string(iface) == kPlayer && std::strcmp(prop, "Position") == 0 && !g.hasPosition)
                    return;
                dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
                dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &prop);
                AppendProperty(&entry, iface, prop);
                dbus_message_iter_close_container(&dict, &entry);
            };
            if (std::string(iface) == kRoot)
                for (const char* prop : kRootProperties)
                    add(prop);
            else if (std::string(iface) == kPlayer)
                for (const char* prop : kPlayerProperties)
                    add(prop);
            dbus_message_iter_close_container(&it, &dict);
        }
        Reply(call, reply);
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    if (interface == kProperties && member == "Set") {
        DBusMessageIter it, variant;
        const char* iface = "";
        const char* name = "";
        double value = 0;
        if (dbus_message_iter_init(call, &it) && dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_STRING) {
            dbus_message_iter_get_basic(&it, &iface);
            dbus_message_iter_next(&it);
            if (dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_STRING) {
                dbus_message_iter_get_basic(&it, &name);
                dbus_message_iter_next(&it);
                if (dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_VARIANT) {
                    dbus_message_iter_recurse(&it, &variant);
                    if (dbus_message_iter_get_arg_type(&variant) == DBUS_TYPE_DOUBLE)
                        dbus_message_iter_get_basic(&variant, &value);
                }
            }
        }
        if (std::strcmp(name, "Volume") == 0) {
            g.volume = value;
            SignalChanged({"Volume"});
        } else if (std::strcmp(name, "Rate") == 0 && value > 0) {
            g.SetPosition(g.PositionUs());
            g.rate = value;
            SignalChanged({"Rate"});
        }
        Reply(call, nullptr);
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    if (interface == kPlayer) {
        if (member == "Play") {
            SetStatus("Playing");
        } else if (member == "Pause") {
            SetStatus("Paused");
        } else if (member == "PlayPause") {
            SetStatus(g.status == "Playing" ? "Paused" : "Playing");
        } else if (member == "Stop") {
            SetStatus("Stopped");
        } else if (member == "Seek") {
            dbus_int64_t offset = 0;
            dbus_message_get_args(call, &error, DBUS_TYPE_INT64, &offset, DBUS_TYPE_INVALID);
            g.SetPosition(g.PositionUs() + offset);
            SignalSeeked();
        } else if (member == "SetPosition") {
            const char* track = "";
            dbus_int64_t position = 0;
            if (dbus_message_get_args(call, &error, DBUS_TYPE_OBJECT_PATH, &track, DBUS_TYPE_INT64, &position,
                                      DBUS_TYPE_INVALID) &&
                g.trackId == track && position >= 0) {
                g.SetPosition(position);
                SignalSeeked();
            }
        }
        dbus_error_free(&error);
        Reply(call, nullptr);
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    if (interface == kRoot) {
        if (member == "Quit")
            g.quit = true;
        Reply(call, nullptr);
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    Reply(call, dbus_message_new_error(call, DBUS_ERROR_UNKNOWN_METHOD, "no such method"));
    return DBUS_HANDLER_RESULT_HANDLED;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

void Answer(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void Control(const std::string& line) {
    const auto f = Fields(line);
    const std::string& what = f[0];
    if (what == "status" && f.size() == 2) {
        SetStatus(f[1]);
    } else if (what == "track" && f.size() == 6) {
        g.trackId = f[1];
        g.title = f[2];
        g.artists.clear();
        for (std::size_t start = 0; start <= f[3].size() && !f[3].empty();) {
            const auto semicolon = std::min(f[3].find(';', start), f[3].size());
            g.artists.push_back(f[3].substr(start, semicolon - start));
            start = semicolon + 1;
        }
        g.url = f[4];
        g.lengthUs = std::atoll(f[5].c_str());
        g.SetPosition(0);
        SignalChanged({"Metadata"});
    } else if (what == "position" && f.size() == 2) {
        g.SetPosition(std::atoll(f[1].c_str()));
        SignalSeeked();
    } else if (what == "rate" && f.size() == 2) {
        g.SetPosition(g.PositionUs());
        g.rate = std::atof(f[1].c_str());
        SignalChanged({"Rate"});
    } else if (what == "silent" && f.size() == 2) {
        g.silent = f[1] == "1";
    } else if (what == "signals" && f.size() == 2) {
        g.signals = f[1] == "1";
    } else if (what == "get" && f.size() == 2 && f[1] == "position") {
        Answer("position\t" + std::to_string(g.PositionUs()));
        return;
    } else if (what == "get" && f.size() == 2 && f[1] == "calls") {
        Answer("calls\t" + g.calls);
        return;
    } else if (what == "quit") {
        g.quit = true;
    } else {
        Answer("error");
        return;
    }
    Answer("ok");
}

} // namespace

int main(int argc, char** argv) {
    std::string name = "fake";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--name" && i + 1 < argc)
            name = argv[++i];
        else if (arg == "--identity" && i + 1 < argc)
            g.identity = argv[++i];
        else if (arg == "--no-position")
            g.hasPosition = false;
        else if (arg == "--no-signals")
            g.signals = false;
    }
    DBusError error;
    dbus_error_init(&error);
    g_conn = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    if (!g_conn) {
        std::fprintf(stderr, "no bus: %s\n", error.message ? error.message : "?");
        return 1;
    }
    dbus_connection_set_exit_on_disconnect(g_conn, FALSE);
    dbus_connection_add_filter(g_conn, OnCall, nullptr, nullptr);
    const std::string busName = "org.mpris.MediaPlayer2." + name;
    if (dbus_bus_request_name(g_conn, busName.c_str(), DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) !=
        DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
        std::fprintf(stderr, "name %s not taken\n", busName.c_str());
        return 1;
    }
    Answer("ready");

    std::string input;
    int busFd = -1;
    dbus_connection_get_unix_fd(g_conn, &busFd);
    while (!g.quit) {
        while (dbus_connection_dispatch(g_conn) == DBUS_DISPATCH_DATA_REMAINS) {
        }
        pollfd fds[2] = {{0, POLLIN, 0}, {busFd, POLLIN, 0}};
        if (poll(fds, 2, 1000) < 0)
            continue;
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            char buffer[4096];
            const ssize_t n = read(0, buffer, sizeof buffer);
            if (n <= 0)
                break; // the test has gone
            input.append(buffer, std::size_t(n));
            for (auto end = input.find('\n'); end != std::string::npos; end = input.find('\n')) {
                const std::string line = input.substr(0, end);
                input.erase(0, end + 1);
                Control(line);
            }
        }
        if (fds[1].revents != 0 && !dbus_connection_read_write(g_conn, 0))
            break; // the bus has gone
    }
    dbus_connection_close(g_conn);
    dbus_connection_unref(g_conn);
    return 0;
}
