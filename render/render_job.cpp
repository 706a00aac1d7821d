#include "render/render_job.h"

#include "render/chapters.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace kelvo {

std::string SettingsComment(const RenderSettings& s) {
    std::string text = "Morse at " + std::to_string(s.CodeSpeed) + " wpm";
    if (s.CharSpeed > s.CodeSpeed) text += ", characters at " + std::to_string(s.CharSpeed) + " wpm";
    return text + ", " + std::to_string(s.ToneFreq) + " Hz tone, " + Shortest(s.RiseMs) + " ms rise";
}

std::vector<RenderJob> PlanJobs(const RenderOptions& options, std::u32string_view text) {
    const auto job = [&](std::u32string chapterText, int step) {
        RenderJob j;
        j.Text = std::move(chapterText);
        j.Settings = options.Settings;
        j.Settings.CodeSpeed = std::min(MaxSpeed, j.Settings.CodeSpeed + step);
        j.Settings.CharSpeed = std::min(MaxSpeed, j.Settings.CharSpeed + step);
        j.Encoder.Format = options.Format;
        j.Encoder.Quality = options.Quality;
        j.Encoder.Tags.Title = options.Title;
        j.Encoder.Tags.Artist = options.Artist;
        j.Encoder.Tags.Comment = options.Comment.empty() ? SettingsComment(j.Settings) : options.Comment;
        return j;
    };
    if (options.ChapterMarker.empty()) {
        RenderJob j = job(std::u32string(text), 0);
        j.Output = options.Output;
        return {std::move(j)};
    }
    const std::u32string marker = KeyedText(options.ChapterMarker);
    std::vector<std::u32string> chapters = SplitChapters(text, marker);
    std::vector<RenderJob> jobs;
    for (std::size_t i = 0; i < chapters.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        RenderJob j = job(std::move(chapters[i]), static_cast<int>(i) * options.SpeedStep);
        j.Output = ChapterFileName(options.Output, number);
        const std::string chapter = "Chapter " + std::to_string(number);
        j.Encoder.Tags.Album = options.Title;
        j.Encoder.Tags.Title = options.Title.empty() ? chapter : options.Title + " - " + chapter;
        j.Encoder.Tags.TrackNumber = std::to_string(number);
        jobs.push_back(std::move(j));
    }
    return jobs;
}

void RunJobs(const std::vector<RenderJob>& jobs, unsigned threads,
             const std::function<void(const RenderProgress&)>& report, std::chrono::milliseconds interval) {
    const std::size_t count = jobs.size();
    // Outputs are opened on this thread, in chapter order, so a file that cannot be created is
    // reported before any sound is made.
    std::vector<std::unique_ptr<SoundOutput>> outputs;
    std::vector<std::unique_ptr<TextRenderer>> renderers;
    std::int64_t totalSamples = 0;
    double soundSeconds = 0;
    for (const RenderJob& j : jobs) {
        renderers.push_back(std::make_unique<TextRenderer>(j.Settings));
        const std::int64_t samples = renderers.back()->SampleCount(j.Text);
        totalSamples += samples;
        soundSeconds += static_cast<double>(samples) / j.Settings.SampRate;
    }
    for (const RenderJob& j : jobs) outputs.push_back(std::make_unique<SoundOutput>(j.Output));

    std::vector<std::exception_ptr> errors(count);
    std::vector<char> finished(count, 0);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> cancel{false};
    std::atomic<std::int64_t> samplesDone{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t stopped = 0;
    const unsigned workers = static_cast<unsigned>(std::clamp<std::size_t>(threads, 1, count));
    {
        std::vector<std::jthread> pool;  // joined on leaving this block, by return or by throw
        for (unsigned w = 0; w < workers; ++w)
            pool.emplace_back([&] {
                for (std::size_t i; (i = next.fetch_add(1)) < count;) {
                    try {
                        WriteSound(*renderers[i], jobs[i].Text, *outputs[i], jobs[i].Encoder, &samplesDone, &cancel);
                    } catch (...) {
                        errors[i] = std::current_exception();
                        cancel = true;
                    }
                    const std::lock_guard lock(mutex);
                    finished[i] = 1;
                }
                const std::lock_guard lock(mutex);
                ++stopped;
                changed.notify_all();
            });
        std::unique_lock lock(mutex);
        for (bool first = true; first || !changed.wait_for(lock, interval, [&] { return stopped == workers; });
             first = false) {
            if (!report) continue;
            RenderProgress p;
            p.Chapters = static_cast<int>(count);
            p.ChaptersDone = static_cast<int>(std::count(finished.begin(), finished.end(), 1));
            p.Share = totalSamples > 0 ? static_cast<double>(samplesDone.load()) / static_cast<double>(totalSamples) : 1;
            p.SoundSeconds = soundSeconds;
            lock.unlock();
            report(p);
            lock.lock();
        }
    }
    // The first real error by chapter order; a cancelled chapter only stopped because of it.
    for (const std::exception_ptr& e : errors) {
        if (!e) continue;
        try {
            std::rethrow_exception(e);
        } catch (const ECancelled&) {
            continue;
        }
    }
    for (auto& out : outputs) out->Commit();
}

}  // namespace kelvo
