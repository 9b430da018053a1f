#pragma once

#include <QRect>
#include <array>

#include "dialogs/dialog_text.h"

namespace tq260 {

inline const QRect kProfileListGeometry(1, 34, 260, 540);
inline constexpr int kProfileListFontHeight = 15;

// Click areas, edges included.
inline const QRect kProfileCloseArea(QPoint(248, 11), QPoint(262, 24));
inline const QRect kProfileNewArea(QPoint(14, 576), QPoint(79, 624));
inline const QRect kProfileDeleteArea(QPoint(184, 576), QPoint(249, 624));

// What the dialog paints over "Config.png", in order.
inline constexpr DialogText kProfileTitle{u"Profile", u"配置"};
inline const QPoint kProfileTitleAt(10, 10);
inline constexpr int kProfileTitleHeight = 15;
inline const QPoint kProfileCloseAt(247, 10);
inline const QPoint kProfileNewAt(13, 575);
inline const QPoint kProfileDeleteAt(183, 575);
inline constexpr DialogText kProfileNewLabel{u"New", u"新建"};
inline const QPoint kProfileNewLabelAt(30, 578);
inline constexpr DialogText kProfileDeleteLabel{u"Delete", u"删除"};
inline const QPoint kProfileDeleteLabelAt(200, 578);
inline constexpr int kProfileButtonLabelHeight = 16;

// The popup menu over the list: command ids and labels, in menu order.
inline constexpr int kProfileUseCommand = 32789;
inline constexpr int kProfileNewCommand = 32785;
inline constexpr int kProfileCopyCommand = 32817;
inline constexpr int kProfileSaveCommand = 32786;
inline constexpr int kProfileLoadCommand = 32787;
inline constexpr int kProfileDeleteCommand = 32788;
inline constexpr int kProfileExportCommand = 32790;
struct ProfileMenuItem {
    int command;
    DialogText text;
};
inline constexpr std::array<ProfileMenuItem, 7> kProfileMenu{{
    {kProfileUseCommand, {u"Use", u"使用"}},
    {kProfileNewCommand, {u"New", u"新建"}},
    {kProfileCopyCommand, {u"Copy", u"复制"}},
    {kProfileSaveCommand, {u"Save", u"保存"}},
    {kProfileExportCommand, {u"Export…", u"导出…"}},
    {kProfileLoadCommand, {u"Load", u"加载"}},
    {kProfileDeleteCommand, {u"Delete", u"删除"}},
}};

// Every message box of the dialog has this caption, but the failed rename's.
inline constexpr DialogText kProfileCaption{u"Profile", u"配置管理"};
inline constexpr DialogText kSixProfiles{u"Only Create Six Profile mostly\n",
                                         u"最多可以存储6个配置\n"};
inline constexpr DialogText kSelectToCopy{u"Please select a profile to copy\n",
                                          u"请选择一个配置文件拷贝\n"};
inline constexpr DialogText kSelectToSave{u"Please select a profile to Save\n",
                                          u"请选择一个配置文件存储\n"};
inline constexpr DialogText kSelectToOpen{u"Please select a profile to Open\n",
                                          u"请选择一个配置文件打开\n"};
inline constexpr DialogText kSelectToUse{u"Please select a profile to use\n",
                                         u"请选择一个要使用的配置\n"};
inline constexpr DialogText kKeepAProfile{u"Please keep a profile\n", u"请至少保留一个配置文件\n"};
inline constexpr DialogText kSelectToDeleteProfile{u"Please select a profile to delete\n",
                                                   u"请选择一个配置文件删除\n"};
inline constexpr DialogText kSelectToExport{u"Please select a profile to export\n",
                                            u"请选择一个要导出的配置\n"};
// The question names the profile: "current" could be the selected or the active one.
inline constexpr DialogText kDeleteProfile{u"Delete the profile \"%1\"?", u"删除配置“%1”吗？"};
inline constexpr DialogText kDeleteLosesRules{
    u"The rules for %1 give this profile; after the delete they give none until another is "
    u"chosen for them in \"Use for applications…\".",
    u"%1 的规则使用此配置；删除后，在“用于应用程序…”中为它们另选配置之前，它们不会切换配置。"};
inline constexpr DialogText kEveryOtherApplication{u"every other application", u"其他应用程序"};
inline constexpr DialogText kRulesNotRenamed{
    u"The profile was renamed, but the rules that gave it still name \"%1\":\n%2",
    u"配置已重命名，但使用它的规则仍指向“%1”：\n%2"};
inline constexpr DialogText kExportTitle{u"Export the profile \"%1\"", u"导出配置“%1”"};
inline constexpr DialogText kExportOwnFile{
    u"\"%1\" is one of the program's own files. Export the profile to another file.",
    u"“%1”是程序自己的文件。请将配置导出到其他文件。"};
inline constexpr DialogText kEmptyExport{
    u"This profile is empty: there is nothing in it to export yet.\n%1",
    u"此配置为空，还没有可导出的内容。\n%1"};
// After the name of a profile that holds nothing yet.
inline constexpr DialogText kEmptyNote{u"(empty)", u"（空）"};
inline constexpr DialogText kDamagedNote{u"(damaged)", u"（已损坏）"};
inline constexpr DialogText kRenameFailed{u"Fail", u"Fail"};
inline constexpr DialogText kFileFilterName{u"bin Files(*.bin)", u"bin Files(*.bin)"};
// What the sound handling adds: each says what happened and to which file.
inline constexpr DialogText kBadProfileName{
    u"This name cannot be a profile's: a name must not be empty or longer than 198 bytes in "
    u"UTF-8, contain \\ / : * ? \" < > |, control characters or marks that turn the text's "
    u"direction, end with a dot or a blank, or be a device name such as CON.",
    u"不能使用此配置名称：名称不能为空或超过 198 字节（UTF-8），不能包含 \\ / : * ? \" < > |、"
    u"控制字符或改变文字方向的标记，不能以点或空格结尾，也不能是 CON 等设备名。"};
inline constexpr DialogText kProfileNameTaken{u"A profile named \"%1\" already exists.",
                                              u"已有名为\"%1\"的配置。"};
inline constexpr DialogText kProfileDeleteFailed{u"The file could not be deleted:\n%1",
                                                 u"无法删除文件：\n%1"};
inline constexpr DialogText kProfileWriteFailed{u"The file could not be written:\n%1",
                                                u"无法写入文件：\n%1"};
inline constexpr DialogText kProfileReadFailed{u"The file could not be read:\n%1",
                                               u"无法读取文件：\n%1"};
inline constexpr DialogText kProfileFolderFailed{u"The profile folder could not be made:\n%1",
                                                 u"无法创建配置文件夹：\n%1"};
inline constexpr DialogText kEmptyProfile{
    u"This profile is empty: it holds no keyboard settings yet, so nothing was loaded.\n%1",
    u"此配置为空，还没有保存键盘设置，因此没有加载任何内容。\n%1"};

}  // namespace tq260
