// "kgl actions export|import": the show's action track between its binary file
// (escena/actions.bin) and an editable text (escena/actions.txt).
#pragma once

#include <string>

#include "app/kgl_cmdline.h"
#include "sync/kgl_action_text.h"

namespace kgl {

int runActionsExport(const ActionsOptions& options);
int runActionsImport(const ActionsOptions& options);

// The format that maps times of a track file to bytes: the music that escena/Config.ini of the
// track's show names (the show folder is the parent of an "escena" folder holding the track, the
// working directory otherwise), or `musicPath` when given. Without music (none named, useMp3 0,
// or not decodable) the show's silent clock: 44100 Hz, 2 channels, length unknown. `source`
// says which one was used.
MusicFormat trackMusicFormat(const std::string& trackPath, const std::string& musicPath, std::string& source);

}  // namespace kgl
