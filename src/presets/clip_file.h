// The clip file, "trembla_clips.json": shake clips under names, kept with the preset file's
// machinery (record_file.h: the lock, the atomic write, the numbered copy of an unusable file, the
// same size limit) beside the preset file, plus the read-only clip files a studio shares in the
// TREMBLA_PRESET_PATH folders. Import and export go through plan_import and merge_presets
// (shared_presets.h), which serve any file of named records.
//
// The file is a JSON object, a member per clip, in the preset file's layout:
//   "Handheld take 3": {
//     "version": 1,
//     "source": "|cam_rig|shaker",
//     "date": "2026-12-09T13:20:00Z",
//     "frame_rate": 24.0,
//     "channels": {"translateX": [0.0, 0.013, ...], ..., "rotateZ": [...]}
//   }
// Each of the six channels holds the displacements of every frame (all of one length, at least
// one); numbers are written in their shortest round-trip form, so a clip reads back bit for bit.
// Members the tool does not know are kept by merges and ignored by reads.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/shake_clip.h"
#include "presets/preset_json.h"
#include "presets/record_file.h"

namespace trembla {

inline constexpr const char* kClipFileName = "trembla_clips.json";
inline constexpr int kClipFormatVersion = 1;

// directory joined with the clip file's name, as preset_file_path joins the preset file's.
std::string clip_file_path(const std::string& directory);

// The record of one clip in the file.
PresetJson clip_record(const ShakeClip& clip);

// The clip a record holds, or nothing with the reason in `problem` (when given): a record of
// another version, a member of the wrong kind, channels of different lengths, or a clip_problem.
std::optional<ShakeClip> clip_from_record(const PresetJson& record, std::string* problem = nullptr);

// True when data is an object whose every member is a record clip_from_record reads.
bool validate_clip_data(const PresetJson& data);

struct LoadedClips {
    PresetJson clips = PresetJson::object();  // the records; an empty object unless loaded
    PresetFileStatus status = PresetFileStatus::missing;
    std::optional<std::string> warning;  // for the host's warning command
};

// The clip file at `path`, as load_presets reads the preset file: a file with one unreadable clip
// is unusable as a whole, with a one-line warning, and is kept as it is until a save copies it aside.
LoadedClips load_clips(const std::string& path);

struct SavedClips {
    bool ok = false;                    // true when the file now holds the clips
    bool changed = false;               // (update_clips) `change` asked for a write
    std::vector<std::string> warnings;  // for the host's warning command, in order
};

// Replaces the whole file with `clips` (records as clip_record makes them), as save_presets does.
SavedClips save_clips(const std::string& path, const PresetJson& clips,
                      ExistingPresetFile existing = ExistingPresetFile::replace);

// One read-modify-write of the clip file under its lock, as update_presets does.
SavedClips update_clips(const std::string& path, const std::function<bool(PresetJson&)>& change);

// The files a TREMBLA_PRESET_PATH value shares clips from, in its order (see preset_path_folders).
std::vector<std::string> shared_clip_files(const std::string& preset_path_value);

// A clip found by name, and the file it came from.
struct FoundClip {
    ShakeClip clip;
    std::string file;
};

// The clip `name` as the clip list offers it: from the user's file first, then from the shared
// files in order (the first holder of a name wins, as listed_presets lists them). Nothing when no
// usable file holds it; the warnings of unusable files are appended to `warnings`.
std::optional<FoundClip> find_clip(const std::string& name, const std::string& user_file,
                                   const std::vector<std::string>& shared_files, std::vector<std::string>& warnings);

}  // namespace trembla
