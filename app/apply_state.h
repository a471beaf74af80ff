// Texts of the Apply sequence shared with start-up.
#pragma once

namespace quorlin::app {

inline constexpr char kNoticeText[] = "注销前，请注意保存所有打开的文件！";
inline constexpr char kFailureText[] = "设置失败，请重试！";
// A failure while the administrator's policy forbids changing the registry: retrying cannot help.
inline constexpr char kPolicyBlockedText[] = "管理员已禁止修改注册表";
// Started as another user than the one signed in: Apply would change that user's settings and log
// off the wrong session, so it stays disabled.
inline constexpr char kOtherUserText[] = "请以当前登录用户运行";

}  // namespace quorlin::app
