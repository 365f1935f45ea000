// Placeholder until the registry store lands: defaults only, nothing stored.
#include "preferences.h"

namespace {
WindowBounds placeholderBounds{100, 100, 884, 606};
}

TPreferencesForm::TPreferencesForm(HWND) {}
TPreferencesForm::~TPreferencesForm() = default;
void TPreferencesForm::LoadSettings() {}
void TPreferencesForm::SaveSettings() {}
int32_t TPreferencesForm::GetTrackLimit() const { return -1; }
int32_t TPreferencesForm::GetOverwriteFiles() const { return 2; }
std::string TPreferencesForm::GetFileFormat() const { return "%tracknumber% - %title% - %artist%"; }
std::string TPreferencesForm::GetExtractPath() const { return ""; }
void TPreferencesForm::SetExtractPath(const std::string&) {}
bool TPreferencesForm::GetFirstRun() const { return false; }
bool TPreferencesForm::GetShowMenuBar() const { return true; }
bool TPreferencesForm::GetShowToolbar() const { return true; }
bool TPreferencesForm::GetShowStatusBar() const { return true; }
void TPreferencesForm::SetShowMenuBar(bool) {}
void TPreferencesForm::SetShowToolbar(bool) {}
void TPreferencesForm::SetShowStatusBar(bool) {}
const WindowBounds& TPreferencesForm::GetWindowBounds() const { return placeholderBounds; }
void TPreferencesForm::SetWindowBounds(int32_t, int32_t, int32_t, int32_t) {}
int TPreferencesForm::Execute() { return 0; }
