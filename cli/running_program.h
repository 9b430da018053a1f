#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/tool_commands.h"
#include "config/bus_names.h"

struct sd_bus;

namespace tq260 {

// The running program, reached over this user's session bus while it holds the keyboard:
// the tool's commands then go through it, with the same output and exit codes.
class RunningProgram {
  public:
    // What a call gave back: its answer, or the error the program named and its text.
    struct Reply {
        std::optional<bus::Error> error;
        // Set for a failure of the bus itself (the program ended, did not answer).
        bool lost = false;
        std::string errorText;
        std::string text;
        std::vector<std::string> lines;
        bool failed() const { return error || lost; }
    };

    // The program's interface when it runs on this user's bus and has the kind of keyboard
    // asked for (the virtual one or a real one); nothing otherwise.
    static std::unique_ptr<RunningProgram> reach(bool virtualKeyboard);
    // The process that owns the program's name on this user's session bus, if one does.
    static std::optional<std::uint32_t> ownerProcess();
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    Reply dump();
    Reply apply(const std::string& json, bool dryRun);
    // Refused with NotInProfile where the configuration is in no profile.
    Reply useProfile(const std::string& name);
    // With what becomes of such a configuration ("keep" or "discard"); text names the
    // profile it was kept in, empty when none.
    Reply useProfileWith(const std::string& name, const std::string& unkept);
    Reply saveProfile(const std::string& name);
    Reply factoryReset();
    // The keyboards as `list` prints them.
    Reply keyboards();
    // The profile the program last gave the keyboard, as it knows it (its file may not hold
    // it); nothing when it does not answer.
    std::optional<std::string> activeProfile();

  private:
    explicit RunningProgram(sd_bus* bus) : bus_(bus) {}
    // signature: "", "s", "sb" (text, flag) or "ss" (text, second).
    Reply call(const char* method, const char* signature, const char* answer,
               const std::string* text = nullptr, bool flag = false,
               const std::string* second = nullptr);
    sd_bus* bus_ = nullptr;
};

// The program when the command should go through it; nothing to talk to the keyboard directly.
RunningProgram* throughProgram(ToolContext& context);

// The exit code the tool gives for an error the program named.
int exitCodeOf(bus::Error error);

// Says what failed and gives the exit code.
int tellFailure(ToolContext& context, const RunningProgram::Reply& reply);

}  // namespace tq260
