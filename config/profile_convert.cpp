#include "config/profile_convert.h"

#include <algorithm>
#include <cstring>

#include "config/config_apply.h"
#include "config/config_json.h"
#include "config/text_encoding.h"
#include "keys/key_layout.h"
#include "keys/keymap_file.h"

namespace tq260 {

namespace {

// The record and the assignment records of one profile file.
struct ProfileImage {
    DeviceSettings settings{};
    Assignments assignments;

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out(kKeymapFileSize);
        std::memcpy(out.data(), &settings, sizeof settings);
        std::memcpy(out.data() + sizeof settings, assignments.table.get(), sizeof(AssignmentTable));
        return out;
    }
    void take(std::span<const std::uint8_t> bytes) {
        std::memcpy(&settings, bytes.data(), sizeof settings);
        std::memcpy(assignments.table.get(), bytes.data() + sizeof settings,
                    sizeof(AssignmentTable));
    }
};

// What the members alone make: every key's record carries its key's code, as every file the
// program writes does, and the rest is zero until a member says otherwise.
void makeFromMembers(const ConfigRequest& request, const KeyNameTable& names, ProfileImage& image) {
    setAssignmentIdentities(*image.assignments.table);
    applyConfiguration(request, image.settings, image.assignments, names);
}

// Runs of differing bytes; a run goes on over a short stretch of equal bytes rather than
// starting a new one, which would cost more text than the bytes it skips.
nlohmann::ordered_json differences(std::span<const std::uint8_t> file,
                                   const std::vector<std::uint8_t>& made) {
    constexpr std::size_t kJoinGap = 8;
    const auto madeAt = [&](std::size_t i) { return i < made.size() ? made[i] : 0; };
    nlohmann::ordered_json runs = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < file.size();) {
        if (file[i] == madeAt(i)) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        for (std::size_t same = 0; end < file.size() && same < kJoinGap; ++end) {
            same = file[end] == madeAt(end) ? same + 1 : 0;
        }
        while (end > i && file[end - 1] == madeAt(end - 1)) --end;
        runs.push_back({i, toHex(file.data() + i, end - i)});
        i = end;
    }
    return runs;
}

}  // namespace

std::optional<nlohmann::ordered_json> profileToJson(std::span<const std::uint8_t> file,
                                                    const KeyNameTable& names,
                                                    std::vector<ConfigError>& errors) {
    ProfileImage read;
    loadKeymapBytes(file, false, read.settings, *read.assignments.table);
    nlohmann::ordered_json json =
        configurationToJson(read.settings, names, read.assignments.table.get(), nullptr);
    // The members read back as the reader reads them, so "unshown" is measured against
    // exactly what the way back makes.
    ConfigReading reading = readConfiguration(json.dump(), ValueRange::ProfileFile);
    if (!reading.request) {
        errors = std::move(reading.errors);
        return std::nullopt;
    }
    ProfileImage made;
    makeFromMembers(*reading.request, names, made);
    json["unshown"] = {{"fileSize", file.size()}, {"bytes", differences(file, made.bytes())}};
    return json;
}

std::vector<std::uint8_t> profileFromRequest(const ConfigRequest& request,
                                             const KeyNameTable& names) {
    ProfileImage image;
    makeFromMembers(request, names, image);
    std::vector<std::uint8_t> bytes = image.bytes();
    if (!request.unshown) return bytes;
    const UnshownBytes& unshown = *request.unshown;
    bytes.resize(std::max(unshown.fileSize, kKeymapFileSize));
    for (const auto& [offset, run] : unshown.runs) {
        // The reader keeps every run inside the file.
        if (offset + run.size() <= bytes.size()) {
            std::copy(run.begin(), run.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        }
    }
    image.take(bytes);
    applyConfiguration(request, image.settings, image.assignments, names);
    const std::vector<std::uint8_t> members = image.bytes();
    std::copy(members.begin(), members.end(), bytes.begin());
    bytes.resize(unshown.fileSize);
    return bytes;
}

std::vector<ConfigError> missingForProfile(const ConfigRequest& request,
                                           const KeyNameTable& names) {
    std::vector<ConfigError> missing;
    const auto need = [&](bool given, const char* path) {
        if (!given) missing.push_back({path, "missing: a profile needs the whole configuration"});
    };
    need(request.effect.has_value(), "/lighting/effect");
    need(request.brightness.has_value(), "/lighting/brightness");
    need(request.speed.has_value(), "/lighting/speed");
    need(request.direction.has_value(), "/lighting/direction");
    need(request.gameMode.has_value(), "/gameMode");
    need(request.responseTime.has_value(), "/responseTimeMs");
    need(request.reportRate.has_value(), "/reportRateHz");
    std::string keys;
    std::size_t count = 0;
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        const bool given =
            isMediaKey(key) || std::any_of(request.keys.begin(), request.keys.end(),
                                           [&](const auto& k) { return k.first == key; });
        if (given) continue;
        if (++count <= 5) keys += (keys.empty() ? "" : ", ") + pictureKeyName(names, key);
    }
    if (count > 0) {
        missing.push_back({"/keys", std::to_string(count) + " keys missing (" + keys +
                                        (count > 5 ? ", …" : "") +
                                        "): a profile needs the whole configuration"});
    }
    for (std::size_t slot = 0; slot < kMacroBlockCount; ++slot) {
        if (!request.macros[slot]) {
            missing.push_back({"/macros", "slot " + std::to_string(slot + 1) +
                                              " missing: a profile needs the whole configuration"});
        }
    }
    need(std::all_of(request.diyPatterns.begin(), request.diyPatterns.end(),
                     [](const auto& p) { return p.has_value(); }),
         "/diyPatterns");
    return missing;
}

}  // namespace tq260
