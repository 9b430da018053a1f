#include "emulator/usb/usb_gadget.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace tq260 {

namespace {

constexpr const char* kFunction = "functions/ffs.tq260";
constexpr const char* kConfig = "configs/c.1";

bool writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace

UsbGadget::UsbGadget(std::filesystem::path configfs, std::filesystem::path mountPoint)
    : gadget_(configfs / "usb_gadget/tq260"), mountPoint_(std::move(mountPoint)) {
    if (!make()) remove();
}

UsbGadget::~UsbGadget() {
    remove();
}

bool UsbGadget::make() {
    std::error_code ec;
    if (!std::filesystem::exists(gadget_.parent_path(), ec)) {
        error_ = gadget_.parent_path().string() + " is missing (configfs and libcomposite)";
        return false;
    }
    std::filesystem::create_directories(gadget_ / "strings/0x409", ec);
    std::filesystem::create_directories(gadget_ / kConfig / "strings/0x409", ec);
    std::filesystem::create_directories(gadget_ / kFunction, ec);
    if (ec) {
        error_ = "cannot make the gadget in " + gadget_.string() + ": " + ec.message() +
                 " (is usb_f_fs loaded?)";
        return false;
    }
    const bool written =
        writeText(gadget_ / "idVendor", "0x04d9") && writeText(gadget_ / "idProduct", "0xa12f") &&
        writeText(gadget_ / "bcdDevice", "0x0102") && writeText(gadget_ / "bcdUSB", "0x0200") &&
        writeText(gadget_ / "strings/0x409/manufacturer", "TQ260") &&
        writeText(gadget_ / "strings/0x409/product", "104vez VANTOR") &&
        writeText(gadget_ / kConfig / "strings/0x409/configuration", "Keyboard") &&
        writeText(gadget_ / kConfig / "MaxPower", "500");
    std::filesystem::create_symlink(gadget_ / kFunction, gadget_ / kConfig / "ffs.tq260", ec);
    if (!written || ec) {
        error_ = "cannot set up the gadget in " + gadget_.string();
        return false;
    }
    std::filesystem::create_directories(mountPoint_, ec);
    if (::mount("tq260", mountPoint_.c_str(), "functionfs", 0, nullptr) != 0) {
        error_ = "cannot mount functionfs at " + mountPoint_.string() + ": " + std::strerror(errno);
        return false;
    }
    mounted_ = true;
    return true;
}

// Undone in the reverse order of making, as configfs insists; a step that fails leaves
// the later ones to fail too, which is harmless.
void UsbGadget::remove() {
    std::error_code ec;
    if (std::filesystem::exists(gadget_ / "UDC", ec)) unbind();
    if (mounted_) {
        ::umount2(mountPoint_.c_str(), MNT_DETACH);
        mounted_ = false;
    }
    std::filesystem::remove(gadget_ / kConfig / "ffs.tq260", ec);
    for (const char* dir :
         {"configs/c.1/strings/0x409", "configs/c.1", "functions/ffs.tq260", "strings/0x409", ""}) {
        ::rmdir((gadget_ / dir).c_str());
    }
}

std::string UsbGadget::firstController() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/udc", ec)) {
        return entry.path().filename().string();
    }
    return {};
}

bool UsbGadget::bind(const std::string& controller) {
    return writeText(gadget_ / "UDC", controller);
}

bool UsbGadget::unbind() {
    std::ifstream in(gadget_ / "UDC");
    std::string bound;
    std::getline(in, bound);
    if (bound.empty()) return true;
    return writeText(gadget_ / "UDC", "\n");
}

}  // namespace tq260
