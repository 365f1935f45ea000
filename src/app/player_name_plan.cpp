#include "app/player_name_plan.h"

#include "app/main_window_services.h"
#include "app/preferences.h"
#include "core/ansi_text.h"
#include "core/itdbparser.h"

TrackNamePlan PlayerNamePlan(const MainWindowServices& window) {
    const ITDBParser* player = window.Player();
    return TrackNamePlan(player ? player->TracksInFileOrder() : std::vector<const OneTrack*>{},
                         Utf16FromAnsi(window.Settings().GetFileFormat()),
                         Utf16FromAnsi(window.Settings().GetFolderFormat()));
}
