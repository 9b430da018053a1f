#include "cli/running_program.h"

#include <cstdlib>

#ifndef _WIN32
#include <systemd/sd-bus.h>
#endif

namespace tq260 {

namespace {

// Longer than the program waits for a dialog to close plus the longest write it makes (a
// whole profile), so that its own answer, Busy included, always arrives first.
constexpr std::uint64_t kCallTimeoutUs = 120'000'000;

}  // namespace

RunningProgram* throughProgram(ToolContext& context) {
    return context.program ? context.program() : nullptr;
}

int exitCodeOf(bus::Error error) {
    switch (error) {
        case bus::Error::InvalidJson:
        case bus::Error::NoSuchProfile:
        case bus::Error::BadProfile:
            return tool_exit::kBadFile;
        case bus::Error::NoKeyboard:
            return tool_exit::kNoKeyboard;
        case bus::Error::NotAnswering:
            return tool_exit::kNotAnswering;
        case bus::Error::Busy:
        case bus::Error::UnsavedChanges:
        case bus::Error::NotInProfile:
            return tool_exit::kInUse;
        case bus::Error::InvalidName:
            return tool_exit::kUsage;
        case bus::Error::CannotWrite:
            return tool_exit::kCannotWrite;
    }
    return tool_exit::kNotAnswering;
}

int tellFailure(ToolContext& context, const RunningProgram::Reply& reply) {
    if (reply.lost) {
        context.err << "The program (TQ260 104vez VANTOR) holds the keyboard but did not answer "
                       "over the session bus: "
                    << reply.errorText << "\n";
        return tool_exit::kNotAnswering;
    }
    context.err << reply.errorText << "\n";
    return exitCodeOf(*reply.error);
}

#ifdef _WIN32

// The program offers no interface on Windows yet: the keyboard it holds stays refused.
std::unique_ptr<RunningProgram> RunningProgram::reach(bool) {
    return nullptr;
}
std::optional<std::uint32_t> RunningProgram::ownerProcess() {
    return std::nullopt;
}
RunningProgram::~RunningProgram() = default;
std::optional<std::string> RunningProgram::activeProfile() {
    return std::nullopt;
}
RunningProgram::Reply RunningProgram::call(const char*, const char*, const char*,
                                           const std::string*, bool, const std::string*) {
    return {std::nullopt, true, "no session bus on this system", {}, {}};
}

#else

std::unique_ptr<RunningProgram> RunningProgram::reach(bool virtualKeyboard) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return nullptr;
    std::unique_ptr<RunningProgram> program(new RunningProgram(bus));
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int isVirtual = 0;
    // Also tells whether the program is there: no owner of the name, no answer.
    const int got = sd_bus_get_property_trivial(bus, bus::kService, bus::kObject, bus::kInterface,
                                                "VirtualKeyboard", &error, 'b', &isVirtual);
    sd_bus_error_free(&error);
    if (got < 0 || (isVirtual != 0) != virtualKeyboard) return nullptr;
    return program;
}

std::optional<std::uint32_t> RunningProgram::ownerProcess() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return std::nullopt;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    std::uint32_t pid = 0;
    const bool found = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                          "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                                          &error, &reply, "s", bus::kService) >= 0 &&
                       sd_bus_message_read_basic(reply, 'u', &pid) > 0;
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    if (!found) return std::nullopt;
    return pid;
}

RunningProgram::~RunningProgram() {
    sd_bus_flush_close_unref(bus_);
}

std::optional<std::string> RunningProgram::activeProfile() {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    char* value = nullptr;
    const int got = sd_bus_get_property_string(bus_, bus::kService, bus::kObject, bus::kInterface,
                                               "ActiveProfile", &error, &value);
    sd_bus_error_free(&error);
    std::optional<std::string> name;
    if (got >= 0 && value != nullptr) name = value;
    std::free(value);
    return name;
}

RunningProgram::Reply RunningProgram::call(const char* method, const char* signature,
                                           const char* answer, const std::string* text, bool flag,
                                           const std::string* second) {
    Reply reply;
    sd_bus_message* request = nullptr;
    sd_bus_message* response = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int result = sd_bus_message_new_method_call(bus_, &request, bus::kService, bus::kObject,
                                                bus::kInterface, method);
    if (result >= 0 && text != nullptr) {
        result = sd_bus_message_append_basic(request, 's', text->c_str());
    }
    if (result >= 0 && std::string_view(signature) == "sb") {
        const int value = flag ? 1 : 0;
        result = sd_bus_message_append_basic(request, 'b', &value);
    }
    if (result >= 0 && second != nullptr) {
        result = sd_bus_message_append_basic(request, 's', second->c_str());
    }
    if (result >= 0) result = sd_bus_call(bus_, request, kCallTimeoutUs, &error, &response);
    if (result < 0) {
        if (sd_bus_error_is_set(&error) && error.name != nullptr) {
            reply.error = bus::errorNamed(error.name);
            reply.errorText = error.message != nullptr ? error.message : error.name;
        } else {
            reply.errorText = "error " + std::to_string(-result);
        }
        reply.lost = !reply.error;
    } else if (std::string_view(answer) == "s") {
        const char* value = nullptr;
        if (sd_bus_message_read_basic(response, 's', &value) > 0 && value != nullptr) {
            reply.text = value;
        }
    } else if (std::string_view(answer) == "as" &&
               sd_bus_message_enter_container(response, 'a', "s") > 0) {
        const char* value = nullptr;
        while (sd_bus_message_read_basic(response, 's', &value) > 0)
            reply.lines.emplace_back(value);
        sd_bus_message_exit_container(response);
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(response);
    sd_bus_message_unref(request);
    return reply;
}

#endif

RunningProgram::Reply RunningProgram::dump() {
    return call("Dump", "", "s");
}

RunningProgram::Reply RunningProgram::apply(const std::string& json, bool dryRun) {
    return call("Apply", "sb", "as", &json, dryRun);
}

RunningProgram::Reply RunningProgram::useProfile(const std::string& name) {
    return call("UseProfile", "s", "", &name);
}

RunningProgram::Reply RunningProgram::useProfileWith(const std::string& name,
                                                     const std::string& unkept) {
    return call("UseProfileWith", "ss", "s", &name, false, &unkept);
}

RunningProgram::Reply RunningProgram::keyboards() {
    return call("Keyboards", "", "s");
}

RunningProgram::Reply RunningProgram::saveProfile(const std::string& name) {
    return call("SaveProfile", "s", "", &name);
}

RunningProgram::Reply RunningProgram::factoryReset() {
    return call("FactoryReset", "", "");
}

}  // namespace tq260
