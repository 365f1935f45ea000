// A player chosen to be opened: its files, and the name its paths begin
// with, as a drive's begin with its letter ("F:", "pod.img", "Disk 2").
#pragma once

#include <memory>
#include <string>

#include "core/player_files.h"

struct OpenedPlayer {
    std::shared_ptr<PlayerFiles> Files;
    std::string Drive;
};
