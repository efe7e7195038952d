// The texts of the shared controls (app/widgets/), in UTF-8 source form.
#pragma once

namespace tolvane::gui::txt {

// Up-down buttons: the accessible names of the two arrows.
inline constexpr char kStepUpName[] = "増やす";
inline constexpr char kStepDownName[] = "減らす";

} // namespace tolvane::gui::txt
