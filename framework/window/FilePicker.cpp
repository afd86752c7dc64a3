#include "framework/window/FilePicker.h"

#include "runtime/base/Value.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/DialogRequest.h"

#include <filesystem>
#include <system_error>

namespace framework {

namespace {

std::string cut(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, std::min(text.size(), limit)));
}

constexpr std::string_view allFiles = "All Files|*.*";

} // namespace

void FilePicker::Setup() {
    PWINDOWTITLE = "Select A File";
    FLAGS = 0;
}

void FilePicker::SetDefaultDirectory(std::string_view directory) {
    DEFAULTDIRECTORY = cut(directory, directoryLimit);
}

void FilePicker::SetDefaultFile(std::string_view file) {
    DEFAULTFILE = cut(file, fileLimit);
}

void FilePicker::SetTitle(std::string_view title) {
    PWINDOWTITLE = cut(title, titleLimit);
}

void FilePicker::AppendMask(std::string_view mask) {
    if (mask.empty())
        return;
    if (!MASKSTRING.empty())
        MASKSTRING = cut(host::clip(MASKSTRING) + "|" + host::clip(mask), maskLimit);
    else
        MASKSTRING = cut(mask, maskLimit);
}

void FilePicker::ReplaceMask(std::string_view mask) {
    MASKSTRING.clear();
    AppendMask(mask);
}

void FilePicker::ReplaceMask(std::string_view description, std::string_view pattern) {
    ReplaceMask(host::clip(description) + "|" + std::string(pattern));
}

std::string FilePicker::Choose(bool restorePath) {
    std::error_code ignored;
    if (restorePath)
        SAVEPATH = cut(std::filesystem::current_path(ignored).string(), directoryLimit);
    if (!DEFAULTDIRECTORY.empty())
        std::filesystem::current_path(DEFAULTDIRECTORY, ignored);
    host::FileDialogRequest request;
    request.title = PWINDOWTITLE;
    request.fileName = cut(DEFAULTFILE, directoryLimit);
    request.masks = MASKSTRING.empty() ? std::string(allFiles) : MASKSTRING;
    request.flags = FLAGS;
    std::string result;
    if (host::fileDialog(request))
        result = cut(request.fileName, directoryLimit);
    if (restorePath && !SAVEPATH.empty())
        std::filesystem::current_path(SAVEPATH, ignored);
    return result;
}

} // namespace framework
