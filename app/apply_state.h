// Texts of the Apply sequence shared with start-up.
#pragma once

namespace quorlin::app {

inline constexpr char kNoticeText[] = "注销前，请注意保存所有打开的文件！";
inline constexpr char kFailureText[] = "设置失败，请重试！";

}  // namespace quorlin::app
