#include "tests/support/xsession.h"

#include "tests/support/diskaudio.h"
#include "tests/support/stage.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace
{
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& dir, const std::string& outFile, const std::string& errFile,
            int keepFd = -1, const std::vector<int>& closedFds = {})
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    if (!dir.empty() && chdir(dir.c_str()) != 0)
        _exit(126);
    for (const std::string& entry : env)
        putenv(const_cast<char*>(entry.c_str()));
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(outFile.empty() ? devnull : open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(errFile.empty() ? devnull : open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    for (int fd = 3; fd < 256; ++fd)
        if (fd != keepFd)
            close(fd);
    for (int fd : closedFds)
        close(fd);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

int waitPid(pid_t pid, int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 10)
    {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

// Output of a command run on the server's display.
std::string capture(const XServer& server, const std::string& command)
{
    FILE* pipe = popen(("DISPLAY=" + server.display + " " + command).c_str(), "r");
    std::string out;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    pclose(pipe);
    return out;
}

} // namespace

XServer startXvfb(const std::string& screen)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe");
    const pid_t pid = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                             "-nolisten", "tcp", "-noreset"},
                            {}, "", "", "", fds[1]);
    close(fds[1]);
    std::string number;
    for (char c; read(fds[0], &c, 1) == 1 && c != '\n';)
        number += c;
    close(fds[0]);
    if (number.empty())
        throw std::runtime_error("Xvfb did not start");
    return {pid, ":" + number};
}

void stopXvfb(XServer& server)
{
    if (server.pid > 0 && kill(server.pid, SIGTERM) == 0)
        waitPid(server.pid, 5000);
    server.pid = 0;
}

SoundServer startPulse(int rate)
{
    char dir[] = "/tmp/padbox-pulse-XXXXXX";
    if (!mkdtemp(dir))
        return {};
    const std::string socket = std::string(dir) + "/native";
    const std::string home = std::string("HOME=") + dir,
                      runtime = std::string("XDG_RUNTIME_DIR=") + dir;
    const pid_t pid =
        spawn({"pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1", "--disallow-exit",
               "--use-pid-file=no", "--log-target=stderr", "-L",
               "module-null-sink sink_name=padbox norewinds=1 rate=" + std::to_string(rate), "-L",
               "module-native-protocol-unix auth-anonymous=1 socket=" + socket},
              {home, runtime}, dir, "", std::string(dir) + "/log.txt");
    SoundServer server = {pid, dir, "unix:" + socket};
    for (int waited = 0; waited < 5000 && access(socket.c_str(), F_OK) != 0; waited += 10)
        usleep(10000);
    if (access(socket.c_str(), F_OK) != 0)
        stopPulse(server);
    return server;
}

void stopPulse(SoundServer& server)
{
    if (server.pid > 0 && kill(server.pid, SIGTERM) == 0)
        waitPid(server.pid, 5000);
    server.pid = 0;
    std::error_code ignored;
    if (!server.dir.empty())
        std::filesystem::remove_all(server.dir, ignored);
}

ProgramRun startProgram(const XServer& server, const std::string& dir,
                        const std::vector<std::string>& extraEnv, const std::string& program,
                        const std::vector<std::string>& args, const std::vector<int>& closedFds)
{
    ProgramRun run = {0, dir + "/stdout.txt", dir + "/stderr.txt", dir + "/audio.raw"};
    std::vector<std::string> env = diskAudioEnvironment(run.audioFile);
    env.insert(env.end(), {"DISPLAY=" + server.display, "SDL_VIDEODRIVER=x11"});
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<std::string> argv = {program.empty() ? dir + "/padbox" : program};
    argv.insert(argv.end(), args.begin(), args.end());
    run.pid = spawn(argv, env, dir, run.outFile, run.errFile, -1, closedFds);
    return run;
}

std::string programErrors(const ProgramRun& run)
{
    std::istringstream lines(readFile(run.errFile));
    std::string err;
    bool fromSdl = false;
    for (std::string line; std::getline(lines, line);)
    {
        fromSdl = fromSdl && line.rfind(' ', 0) == 0;
        for (const char* priority :
             {"VERBOSE: ", "DEBUG: ", "INFO: ", "WARNING: ", "ERROR: ", "CRITICAL: "})
            fromSdl = fromSdl || line.rfind(priority, 0) == 0;
        if (!fromSdl)
            err += line + "\n";
    }
    return err;
}

int waitExit(ProgramRun& run, int timeoutMs)
{
    return waitPid(std::exchange(run.pid, 0), timeoutMs);
}

unsigned long waitForWindow(const XServer& server, int timeoutMs)
{
    const std::string id = capture(server, "timeout " + std::to_string(timeoutMs / 1000.0) +
                                               " xdotool search --sync --onlyvisible --name "
                                               "'^padbox$' 2>/dev/null");
    settle(200); // the first frames
    return id.empty() ? 0 : std::stoul(id);
}

std::string windowGeometry(const XServer& server, unsigned long window)
{
    const std::string shown =
        capture(server, "sh -c 'eval $(xdotool getwindowgeometry --shell " +
                            std::to_string(window) + "); echo ${WIDTH}x${HEIGHT}+$X,$Y'");
    return shown.substr(0, shown.find('\n'));
}

bool xdo(const XServer& server, const std::string& args)
{
    const std::string command = "DISPLAY=" + server.display + " xdotool " + args;
    return system((command + " >/dev/null 2>&1").c_str()) == 0;
}

void clickAt(const XServer& server, int x, int y)
{
    xdo(server, "mousemove " + std::to_string(x) + " " + std::to_string(y) +
                    " sleep 0.06 click 1 sleep 0.06");
}

void clickIn(const XServer& server, Box b)
{
    clickAt(server, midX(b), midY(b));
}

SDL_Surface* screenshot(const XServer& server, const std::string& pngPath)
{
    const std::string dir = makeTempDir(), bmp = dir + "/shot.bmp";
    capture(server, "xwd -root -silent | convert xwd:- bmp3:" + bmp);
    if (!pngPath.empty())
        capture(server, "convert " + bmp + " " + pngPath);
    SDL_Surface* loaded = SDL_LoadBMP(bmp.c_str());
    removeTree(dir);
    return loaded;
}

void settle(int ms)
{
    usleep(static_cast<useconds_t>(ms) * 1000);
}
