#pragma once
// What kelvo-render writes for a set of options: one job per output file (one, or one per
// chapter), and the running of the jobs on all cores.
//
// RunJobs owns its threads: they are joined before it returns or throws.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "render/render.h"
#include "render/render_options.h"
#include "render/sound_file.h"

namespace kelvo {

struct RenderJob {
    std::u32string Text;
    RenderSettings Settings;
    EncoderSettings Encoder;
    std::string Output;
};

// The comment tag that says how the sound was keyed.
std::string SettingsComment(const RenderSettings& settings);

// The jobs for keyed `text`: the whole text to options.Output, or with a chapter marker one job
// per chapter, numbered from 1 into the output name, each SpeedStep faster (up to 100 words per
// minute) and titled with its number.
std::vector<RenderJob> PlanJobs(const RenderOptions& options, std::u32string_view text);

// How far the work is, for a progress line: chapters finished and the share of all samples.
struct RenderProgress {
    int ChaptersDone = 0;
    int Chapters = 0;
    double Share = 0;
    double SoundSeconds = 0;  // of all the chapters together
};

// Writes every job, up to `threads` at once, each into its own temporary file; only when all have
// been written are they committed, so an error leaves none of them behind (the first error by
// chapter order is thrown once every thread has stopped). `report`, when given, is called on this
// thread as the work starts and about every `interval` while it goes on.
void RunJobs(const std::vector<RenderJob>& jobs, unsigned threads,
             const std::function<void(const RenderProgress&)>& report = {},
             std::chrono::milliseconds interval = std::chrono::milliseconds(250));

}  // namespace kelvo
