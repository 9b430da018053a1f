#pragma once

#include "dialogs/dialog_text.h"

// What the rules window says, in both languages.
namespace tq260::rules_text {

inline constexpr DialogText kTitle{u"Use for applications", u"用于应用程序"};
inline constexpr DialogText kEnabled{u"Switch profiles by the application in front",
                                     u"按前台应用程序切换配置"};
inline constexpr DialogText kNotice{u"Say when the profile changes", u"切换配置时提示"};
inline constexpr DialogText kApplication{u"Application", u"应用程序"};
inline constexpr DialogText kExecutable{u"Executable", u"可执行文件"};
inline constexpr DialogText kProfile{u"Profile", u"配置"};
inline constexpr DialogText kRulesList{u"Rules, tried in this order", u"规则（按此顺序匹配）"};
inline constexpr DialogText kAnyExecutable{u"any", u"任意"};
inline constexpr DialogText kExecutableHint{
    u"Double click or press F2 to change it; empty means any executable.",
    u"双击或按 F2 修改；留空表示任意可执行文件。"};
inline constexpr DialogText kAdd{u"Add…", u"添加…"};
inline constexpr DialogText kUp{u"Up", u"上移"};
inline constexpr DialogText kDown{u"Down", u"下移"};
inline constexpr DialogText kRemove{u"Remove", u"删除"};
inline constexpr DialogText kClose{u"Close", u"关闭"};
inline constexpr DialogText kOtherwise{u"Every other application:", u"其他应用程序："};
inline constexpr DialogText kLeave{u"Leave as it is", u"保持不变"};
inline constexpr DialogText kNoneSeen{u"No application seen yet", u"尚未看到应用程序"};
inline constexpr DialogText kHasRule{u"%1 — has a rule", u"%1 — 已有规则"};
inline constexpr DialogText kOther{u"Other…", u"其他…"};
inline constexpr DialogText kListing{u"Listing the open applications…", u"正在列出打开的应用程序…"};
inline constexpr DialogText kNotListed{
    u"The open windows could not be listed; only applications seen in front are offered.",
    u"无法列出打开的窗口；只提供曾在前台出现过的应用程序。"};
inline constexpr DialogText kMoreNotShown{u"%1 more not shown: Other… names any application",
                                          u"另有 %1 个未显示：可用“其他…”指定任意应用程序"};
inline constexpr DialogText kTypeId{
    u"The application's id (its window class, app id or .exe name):",
    u"应用程序的标识（窗口类、应用 ID 或 .exe 名称）："};
inline constexpr DialogText kNoProfiles{
    u"There is no profile to use yet: make one and save into it in the profile window first.",
    u"还没有可用的配置：请先在配置窗口中新建一个并保存到其中。"};
inline constexpr DialogText kDamaged{
    u"profile-rules.json cannot be used (%1). Mend or remove the file; it is not written over.",
    u"profile-rules.json 无法使用（%1）。请修改或删除该文件；程序不会覆盖它。"};

// Said in the window's note line.
inline constexpr DialogText kChangedElsewhere{
    u"Another program changed the rules meanwhile: they are shown as they are now, and your "
    u"change was not made.",
    u"其他程序同时修改了规则：这里显示的是现在的规则，您的更改没有生效。"};
inline constexpr DialogText kProfilesChanged{
    u"The profiles changed meanwhile: they are shown as they are now, and your change was not "
    u"made.",
    u"配置同时发生了变化：这里显示的是现在的配置，您的更改没有生效。"};
inline constexpr DialogText kAlreadyRuled{u"%1 has a rule already: it is selected.",
                                          u"%1 已有规则：已选中它。"};

// Marks of a profile in the profile boxes.
inline constexpr DialogText kEmptyMark{u"%1 (empty)", u"%1（空）"};
inline constexpr DialogText kMissingMark{u"%1 (missing)", u"%1（不存在）"};
inline constexpr DialogText kDamagedMark{u"%1 (damaged)", u"%1（已损坏）"};

// Why a rule never applies.
inline constexpr DialogText kProfileMissing{u"Never applies: there is no profile \"%1\".",
                                            u"不会生效：没有名为“%1”的配置。"};
inline constexpr DialogText kProfileEmpty{
    u"Never applies: the profile \"%1\" holds no settings; save into it in the profile window.",
    u"不会生效：配置“%1”中没有任何设置；请在配置窗口中保存到其中。"};
inline constexpr DialogText kProfileDamaged{
    u"Never applies: the profile \"%1\" is damaged; using it in the profile window says what is "
    u"wrong.",
    u"不会生效：配置“%1”已损坏；在配置窗口中使用它可查看问题所在。"};
inline constexpr DialogText kHidden{u"Never applies: rule %1 (%2) above it always matches first.",
                                    u"不会生效：上面的第 %1 条规则（%2）总是先匹配。"};
// A rule named in another's mark: its application and executable.
inline constexpr DialogText kRuleNamed{u"%1, %2", u"%1，%2"};
inline constexpr DialogText kUntold{
    u"Never matches: the desktop does not tell which executable %1 runs, so a rule with a path "
    u"cannot match it.",
    u"永远不会匹配：桌面不告知 %1 运行的可执行文件，因此带路径的规则无法匹配它。"};

}  // namespace tq260::rules_text
