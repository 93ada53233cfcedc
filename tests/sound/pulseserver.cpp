#include "pulseserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <signal.h>

PulseServer::PulseServer(const QString &dir) : m_dir(dir)
{
    const QString runtime = m_dir + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile conf(m_dir + QStringLiteral("/client.conf"));
    if (conf.open(QIODevice::WriteOnly))
        conf.write("autospawn = no\n");
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    qputenv("PULSE_SERVER", ("unix:" + runtime + QStringLiteral("/pulse/native")).toLocal8Bit());
    qputenv("PULSE_CLIENTCONFIG", conf.fileName().toLocal8Bit());
    m_server.setStandardErrorFile(m_dir + QStringLiteral("/pulse.log"));
}

PulseServer::~PulseServer() { stop(); }

bool PulseServer::start()
{
    m_server.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("--log-target=stderr"), QStringLiteral("-L"),
                    QStringLiteral("module-null-sink sink_name=nul format=float32le rate=44100 channels=2"),
                    QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix")});
    if (!m_server.waitForStarted(5000))
        return false;
    for (int i = 0; i < 100; ++i) {
        QProcess pactl;
        pactl.setStandardOutputFile(QProcess::nullDevice());
        pactl.setStandardErrorFile(QProcess::nullDevice());
        pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
        if (pactl.waitForFinished(5000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0)
            return true;
        QThread::msleep(100);
    }
    return false;
}

void PulseServer::stop()
{
    stopRecording();
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
        m_server.waitForFinished(2000);
    }
}

void PulseServer::freeze(bool frozen)
{
    if (m_server.state() != QProcess::NotRunning)
        ::kill(pid_t(m_server.processId()), frozen ? SIGSTOP : SIGCONT);
}

QString PulseServer::log() const
{
    QFile file(m_dir + QStringLiteral("/pulse.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

bool PulseServer::record(const QString &wavPath)
{
    QFile::remove(wavPath);
    m_recorder.start(QStringLiteral("parecord"),
                     {QStringLiteral("-d"), QStringLiteral("nul.monitor"), QStringLiteral("--latency-msec=20"),
                      QStringLiteral("--format=float32le"), QStringLiteral("--rate=44100"),
                      QStringLiteral("--channels=2"), QStringLiteral("--file-format=wav"), wavPath});
    if (!m_recorder.waitForStarted(5000))
        return false;
    // The recorder needs a moment before it really records.
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(wavPath).size() <= 20000) {
        if (waited.elapsed() > 10000)
            return false;
        QThread::msleep(20);
    }
    return true;
}

void PulseServer::stopRecording()
{
    if (m_recorder.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(m_recorder.processId()), SIGINT); // completes the WAV header
    if (!m_recorder.waitForFinished(5000))
        m_recorder.kill();
    m_recorder.waitForFinished(2000);
}

int PulseServer::streams() const
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
    if (!pactl.waitForFinished(5000))
        return -1;
    return int(pactl.readAllStandardOutput().count('\n'));
}
