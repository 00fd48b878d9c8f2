#include "salle/depot.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "salle/salle.h"

namespace salle {

namespace {

struct Drop {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool written = false;
};

}  // namespace

bool drop_report(const std::string& room, const Report& report, int wait_ms) {
    const auto drop = std::make_shared<Drop>();
    const std::string folder = in_folder(room, kReportsFolder);
    std::thread writer([drop, folder, name = report_name(report), text = report_text(report)] {
        const bool written = drop_file(folder, name, text);
        const std::lock_guard lock(drop->mutex);
        drop->done = true;
        drop->written = written;
        drop->ended.notify_all();
    });
    std::unique_lock lock(drop->mutex);
    if (drop->ended.wait_for(lock, std::chrono::milliseconds(wait_ms),
                             [&] { return drop->done; })) {
        lock.unlock();
        writer.join();
        return drop->written;
    }
    // Given up: the writer ends on its own, in code that must stay loaded.
    lock.unlock();
    keep_code_loaded();
    writer.detach();
    return false;
}

}  // namespace salle
