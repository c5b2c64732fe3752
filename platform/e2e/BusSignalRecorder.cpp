#include "platform/e2e/BusSignalRecorder.h"

#include <dbus/dbus.h>

namespace platform {

TBusSignalRecorder::TBusSignalRecorder(const std::string& busAddress) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = dbus_connection_open_private(busAddress.c_str(), &error);
    if (connection && !dbus_bus_register(connection, &error)) {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
        connection = nullptr;
    }
    if (!connection) {
        dbus_error_free(&error);
        return;
    }
    dbus_connection_set_exit_on_disconnect(connection, FALSE);
    dbus_bus_add_match(connection, "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked'",
                       nullptr);
    dbus_bus_add_match(connection,
                       "type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
                       "arg0='org.mpris.MediaPlayer2.Player'",
                       nullptr);
    dbus_connection_flush(connection);
    Listening_ = true;
    Thread_ = std::thread([this, connection] { Run(connection); });
}

TBusSignalRecorder::~TBusSignalRecorder() {
    Stop_ = true;
    if (Thread_.joinable())
        Thread_.join();
}

void TBusSignalRecorder::Run(void* opaque) {
    auto* connection = static_cast<DBusConnection*>(opaque);
    while (!Stop_ && dbus_connection_read_write(connection, 20)) {
        while (DBusMessage* message = dbus_connection_pop_message(connection)) {
            const auto now = std::chrono::steady_clock::now();
            if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_SIGNAL &&
                dbus_message_get_member(message)) {
                std::lock_guard<std::mutex> lock(Lock_);
                Heard_.emplace_back(dbus_message_get_member(message), now);
            }
            dbus_message_unref(message);
        }
    }
    dbus_connection_close(connection);
    dbus_connection_unref(connection);
}

bool TBusSignalRecorder::FirstAfter(const std::string& member, TTime since, int timeoutMs, TTime& at) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(Lock_);
            for (const auto& [name, time] : Heard_) {
                if (name == member && time >= since) {
                    at = time;
                    return true;
                }
            }
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace platform
