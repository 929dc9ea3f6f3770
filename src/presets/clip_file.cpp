#include "presets/clip_file.h"

#include <utility>

#include "presets/preset_store.h"
#include "presets/shared_presets.h"

namespace trembla {
namespace {

bool usable_clip_file(const std::string& path);

const RecordFileKind kClipFile = {
    "Trembla: Failed to load clips: ",
    "Trembla: Failed to parse clips file: ",
    "Trembla: Clip file has invalid structure.",
    "Trembla: Failed to save clips: ",
    "cannot write clips that a load would reject (every clip must be a record of six channels of one length)",
    "clip file",
    validate_clip_data,
    usable_clip_file,
};

bool usable_clip_file(const std::string& path) {
    PresetJson records;
    std::optional<std::string> warning;
    const PresetFileStatus status = load_record_file(path, kClipFile, records, warning);
    return status == PresetFileStatus::missing || status == PresetFileStatus::loaded;
}

std::optional<ShakeClip> refused(std::string* problem, std::string reason) {
    if (problem != nullptr) *problem = std::move(reason);
    return std::nullopt;
}

// The text member `name`, empty when absent; false when present but not text.
bool read_text(const PresetJson& record, const char* name, std::string& text) {
    const auto found = record.find(name);
    if (found == record.end()) return true;
    if (!found->is_string()) return false;
    text = found->get<std::string>();
    return true;
}

}  // namespace

std::string clip_file_path(const std::string& directory) { return path_in(directory, kClipFileName); }

PresetJson clip_record(const ShakeClip& clip) {
    PresetJson record = PresetJson::object();
    record["version"] = kClipFormatVersion;
    record["source"] = clip.source;
    record["date"] = clip.date;
    record["frame_rate"] = clip.frame_rate;
    PresetJson channels = PresetJson::object();
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        PresetJson values = PresetJson::array();
        values.get_ref<PresetJson::array_t&>().reserve(clip.length());
        for (const Sample& sample : clip.displacements) values.push_back(sample[k]);
        channels[kChannels[k]] = std::move(values);
    }
    record["channels"] = std::move(channels);
    return record;
}

std::optional<ShakeClip> clip_from_record(const PresetJson& record, std::string* problem) {
    if (!record.is_object()) return refused(problem, "a clip must be an object");
    const auto version = record.find("version");
    if (version != record.end() && !(version->is_number_integer() && *version == kClipFormatVersion)) {
        return refused(problem, "the clip is of another version than " + std::to_string(kClipFormatVersion));
    }
    ShakeClip clip;
    if (!read_text(record, "source", clip.source) || !read_text(record, "date", clip.date)) {
        return refused(problem, "a clip's source and date must be text");
    }
    const auto rate = record.find("frame_rate");
    if (rate == record.end() || !rate->is_number()) return refused(problem, "a clip needs a frame_rate number");
    clip.frame_rate = rate->get<double>();
    const auto channels = record.find("channels");
    if (channels == record.end() || !channels->is_object()) return refused(problem, "a clip needs its channels");
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const auto values = channels->find(kChannels[k]);
        if (values == channels->end() || !values->is_array()) {
            return refused(problem, std::string("the clip has no ") + kChannels[k] + " list");
        }
        if (k == 0) clip.displacements.resize(values->size());
        if (values->size() != clip.length()) return refused(problem, "the clip's channels differ in length");
        std::size_t i = 0;
        for (const PresetJson& value : *values) {
            if (!value.is_number()) return refused(problem, "a clip's displacements must be numbers");
            clip.displacements[i++][k] = value.get<double>();
        }
    }
    if (std::optional<std::string> reason = clip_problem(clip)) return refused(problem, *reason);
    return clip;
}

bool validate_clip_data(const PresetJson& data) {
    if (!data.is_object()) return false;
    for (const auto& member : data.items()) {
        if (!clip_from_record(member.value())) return false;
    }
    return true;
}

LoadedClips load_clips(const std::string& path) {
    LoadedClips result;
    result.status = load_record_file(path, kClipFile, result.clips, result.warning);
    return result;
}

SavedClips save_clips(const std::string& path, const PresetJson& clips, ExistingPresetFile existing) {
    SavedClips result;
    result.ok = save_record_file(path, clips, kClipFile, existing, result.warnings);
    return result;
}

SavedClips update_clips(const std::string& path, const std::function<bool(PresetJson&)>& change) {
    SavedClips result;
    result.ok = update_record_file(path, kClipFile, change, result.changed, result.warnings);
    return result;
}

std::vector<std::string> shared_clip_files(const std::string& preset_path_value) {
    std::vector<std::string> files;
    for (const std::string& folder : preset_path_folders(preset_path_value)) files.push_back(clip_file_path(folder));
    return files;
}

std::optional<FoundClip> find_clip(const std::string& name, const std::string& user_file,
                                   const std::vector<std::string>& shared_files, std::vector<std::string>& warnings) {
    std::vector<std::string> files{user_file};
    files.insert(files.end(), shared_files.begin(), shared_files.end());
    for (const std::string& file : files) {
        LoadedClips loaded = load_clips(file);
        if (loaded.warning) warnings.push_back(*loaded.warning);
        const auto record = loaded.clips.find(name);
        if (record == loaded.clips.end()) continue;
        // The file is valid as a whole, so every record in it reads.
        if (std::optional<ShakeClip> clip = clip_from_record(*record)) return FoundClip{std::move(*clip), file};
    }
    return std::nullopt;
}

}  // namespace trembla
