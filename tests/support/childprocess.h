// A program started as a child process, its standard output read line by
// line as it comes: the shared-game driver in the tests and the benchmarks.
#pragma once

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vqtest {

class TChildProcess {
public:
    // args[0] is the program's path.
    explicit TChildProcess(std::vector<std::string> args)
    {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = ::fdopen(out[0], "r");
    }
    ~TChildProcess()
    {
        if (out_) std::fclose(out_);
        Wait();
    }
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // The next line it prints (blocks until it comes or the program ends).
    std::string Line()
    {
        char buffer[256];
        if (!out_ || !std::fgets(buffer, sizeof(buffer), out_)) return std::string();
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        return line;
    }
    // Its exit code (-1 when it did not end by itself).
    int Wait()
    {
        if (pid_ <= 0) return code_;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return code_;
    }
    void Kill()
    {
        if (pid_ > 0) ::kill(pid_, SIGKILL);
        Wait();
    }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int code_ = -1;
    FILE* out_ = nullptr;
};

}  // namespace vqtest
