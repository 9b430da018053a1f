#pragma once

#include <filesystem>
#include <string>

namespace tq260 {

// A USB gadget in configfs with the keyboard's ids and one FunctionFS function, and its
// binding to a device controller: binding is plugging the keyboard in, unbinding pulling it.
class UsbGadget {
  public:
    // Makes the gadget and mounts the function's FunctionFS at mountPoint. Says what failed in
    // error and leaves nothing behind.
    UsbGadget(std::filesystem::path configfs, std::filesystem::path mountPoint);
    ~UsbGadget();
    UsbGadget(const UsbGadget&) = delete;
    UsbGadget& operator=(const UsbGadget&) = delete;

    bool ready() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::filesystem::path& functionFs() const { return mountPoint_; }

    // The first device controller the kernel offers (dummy_hcd's "dummy_udc.0").
    static std::string firstController();
    bool bind(const std::string& controller);
    bool unbind();

  private:
    bool make();
    void remove();

    std::filesystem::path gadget_;
    std::filesystem::path mountPoint_;
    bool mounted_ = false;
    std::string error_;
};

}  // namespace tq260
