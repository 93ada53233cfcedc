#include "platform/sound.h"

#include "platform/sdlaudio.h"
#include "platform/wave.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <dlfcn.h>

#include <cstring>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kIdleClose = std::chrono::seconds(2); // after the last sound ends
constexpr int kMixChannels = 16;
constexpr int kDeviceFrames = 256; // about 6 ms at 44.1 kHz
// The longest the program's end waits for the device to close.
constexpr auto kShutdownPatience = std::chrono::seconds(3);

// One sound file, decoded once and kept while the file stays the same.
struct Sound {
    QByteArray pcm; // empty: nothing to play
    qint64 size = -1;
    qint64 modified = -1;
    Mix_Chunk *chunk = nullptr; // while the device is open
};

// ALSA, SDL's fallback when there is no sound server, writes its failure to
// open a missing card on the console at every attempt; the player reports
// nothing, so those lines are silenced.
extern "C" void silentAlsaError(const char *, int, const char *, int, const char *, ...) {}

void silenceAlsa(const SdlAudio &sdl)
{
    const char *driver = sdl.SDL_GetCurrentAudioDriver();
    if (!driver || std::strcmp(driver, "alsa") != 0)
        return;
    void *alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!alsa)
        return;
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    if (auto set = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(silentAlsaError);
    dlclose(alsa);
}

class Player
{
public:
    void request(const QString &file, bool play)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_abandoned)
                return;
            if (!m_thread.joinable()) {
                m_stopping = false;
                m_ended = false;
                m_thread = std::thread([this] { run(); });
            }
            m_queue.push_back({file, play});
        }
        m_wake.notify_one();
    }

    // Asks the thread to end and waits for it, up to `patience`. A thread
    // the system holds inside the audio library (a sound server or a session
    // bus that never answers) is left behind, and the player takes no more
    // requests: the program's end waits for no one.
    void stop(std::chrono::milliseconds patience)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_thread.joinable())
            return;
        m_stopping = true;
        m_wake.notify_one();
        if (!m_taken.wait_for(lock, patience, [this] { return m_ended; })) {
            m_abandoned = true;
            m_thread.detach();
            return;
        }
        lock.unlock();
        m_thread.join();
        lock.lock();
        m_queue.clear();
    }

    SoundCounters counters()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_counters;
    }

    bool waitTaken(int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_taken.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_queue.empty() && !m_busy; });
    }

private:
    struct Request {
        QString file;
        bool play;
    };

    // The player's thread: every call into the audio library is made here.
    void run()
    {
        m_sdl = LoadSdlAudio();
        if (m_sdl) {
            // SIGINT and SIGTERM end the program as they always did.
            m_sdl->SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
            m_sdl->SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Vimbra");
            m_sdl->SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Shot");
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            const bool open = m_open;
            auto ready = [this] { return m_stopping || !m_queue.empty(); };
            if (open)
                m_wake.wait_until(lock, m_closeAt, ready);
            else
                m_wake.wait(lock, ready);
            if (m_stopping)
                break;
            if (m_queue.empty()) { // the idle time is up
                lock.unlock();
                closeWhenQuiet();
                lock.lock();
                continue;
            }
            const Request next = m_queue.front();
            m_queue.pop_front();
            m_busy = true;
            ++m_counters.requests;
            lock.unlock();
            const bool started = serve(next);
            lock.lock();
            m_busy = false;
            m_counters.started += started ? 1 : 0;
            m_counters.deviceOpen = m_open;
            if (m_queue.empty())
                m_taken.notify_all();
        }
        lock.unlock();
        closeDevice();
        m_sounds.clear();
        if (m_sdl)
            m_sdl->SDL_Quit();
        lock.lock();
        m_counters.deviceOpen = false;
        m_ended = true;
        m_taken.notify_all();
    }

    bool serve(const Request &request)
    {
        Sound &sound = decoded(request.file);
        if (sound.pcm.isEmpty() || !openDevice())
            return false;
        if (!sound.chunk)
            sound.chunk = m_sdl->Mix_QuickLoad_RAW(reinterpret_cast<Uint8 *>(sound.pcm.data()), Uint32(sound.pcm.size()));
        const auto length = std::chrono::milliseconds(sound.pcm.size() / kWaveFrameBytes * 1000 / kWaveRate);
        setCloseAt(Clock::now() + length + kIdleClose);
        if (!request.play || !sound.chunk)
            return false;
        int channel = m_sdl->Mix_PlayChannelTimed(-1, sound.chunk, 0, -1);
        if (channel < 0) {
            // Every channel sounds: the oldest gives way to the new shot.
            channel = m_sdl->Mix_GroupOldest(-1);
            m_sdl->Mix_HaltChannel(channel);
            channel = m_sdl->Mix_PlayChannelTimed(channel, sound.chunk, 0, -1);
        }
        return channel >= 0;
    }

    // The file's sound, decoded anew when the file is not the one decoded.
    Sound &decoded(const QString &file)
    {
        Sound &sound = m_sounds[file];
        const QFileInfo info(file);
        const qint64 size = info.exists() ? info.size() : -1;
        const qint64 modified = info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
        if (size == sound.size && modified == sound.modified)
            return sound;
        freeChunk(sound);
        sound.size = size;
        sound.modified = modified;
        QFile in(file);
        sound.pcm = in.open(QIODevice::ReadOnly) ? DecodeWave(in.readAll()) : QByteArray();
        return sound;
    }

    bool openDevice()
    {
        if (m_open)
            return true;
        if (!m_sdl)
            return false;
        // The subsystem is started afresh at every opening, so a sound
        // server that appears later is found, and while the device is
        // closed nothing of the audio library runs.
        if (m_sdl->SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        silenceAlsa(*m_sdl);
        if (m_sdl->Mix_OpenAudioDevice(kWaveRate, AUDIO_S16SYS, kWaveChannels, kDeviceFrames, nullptr, 0) != 0) {
            m_sdl->SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        m_sdl->Mix_AllocateChannels(kMixChannels);
        setOpen(true);
        return true;
    }

    void closeWhenQuiet()
    {
        if (m_sdl->Mix_Playing(-1) > 0) {
            setCloseAt(Clock::now() + std::chrono::milliseconds(250));
            return;
        }
        closeDevice();
    }

    void closeDevice()
    {
        if (!m_open)
            return;
        for (Sound &sound : m_sounds)
            freeChunk(sound);
        m_sdl->Mix_CloseAudio();
        m_sdl->SDL_QuitSubSystem(SDL_INIT_AUDIO);
        setOpen(false);
    }

    void freeChunk(Sound &sound)
    {
        if (sound.chunk)
            m_sdl->Mix_FreeChunk(sound.chunk); // the samples stay: they are the Sound's
        sound.chunk = nullptr;
    }

    void setOpen(bool open)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = open;
        m_counters.opens += open ? 1 : 0;
        m_counters.deviceOpen = open;
    }

    void setCloseAt(Clock::time_point at)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closeAt = at;
    }

    // Shared with the requesting threads, under m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_taken;
    std::deque<Request> m_queue;
    std::thread m_thread;
    bool m_stopping = false;
    bool m_busy = false;
    bool m_open = false;
    bool m_ended = false;     // the thread has left the audio library for good
    bool m_abandoned = false; // the thread did not end in time: no more requests
    Clock::time_point m_closeAt;
    SoundCounters m_counters;

    // The player's thread only.
    const SdlAudio *m_sdl = nullptr;
    QHash<QString, Sound> m_sounds;
};

// Never destroyed: a thread left behind at the end may still hold it.
Player &player()
{
    static Player *const instance = new Player;
    return *instance;
}

} // namespace

void PreloadSound(const QString &file) { player().request(file, false); }

void PlaySoundFile(const QString &file) { player().request(file, true); }

void ShutdownSound() { player().stop(kShutdownPatience); }

SoundCounters SoundStatistics() { return player().counters(); }

bool WaitSoundRequestsTaken(int timeoutMs) { return player().waitTaken(timeoutMs); }

