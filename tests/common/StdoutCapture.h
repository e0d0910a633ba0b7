// Redirects the process's standard output into a temporary file while the object lives, so tests can
// check the program's log lines. What was written stays readable after Stop().
#pragma once

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

class StdoutCapture {
public:
    StdoutCapture() {
        char dir[MAX_PATH];
        ::GetTempPathA(MAX_PATH, dir);
        char path[MAX_PATH];
        ::GetTempFileNameA(dir, "out", 0, path);
        m_path = path;
        std::fflush(stdout);
        m_saved = _dup(_fileno(stdout));
        int fd = _open(m_path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
        _dup2(fd, _fileno(stdout));
        _close(fd);
    }
    ~StdoutCapture() {
        Stop();
        ::DeleteFileA(m_path.c_str());
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // What was written so far; the capture goes on.
    std::string Text() const {
        std::fflush(stdout);
        return Read();
    }
    // How often part (a log line with its line end, say) occurs in what was written so far.
    int Count(const std::string& part) const {
        const std::string text = Text();
        int n = 0;
        for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + part.size()))
            ++n;
        return n;
    }
    // Ends the capture and returns everything written.
    std::string Stop() {
        if (m_saved >= 0) {
            std::fflush(stdout);
            _dup2(m_saved, _fileno(stdout));
            _close(m_saved);
            m_saved = -1;
        }
        return Read();
    }

private:
    std::string Read() const {
        std::string text;
        if (FILE* f = std::fopen(m_path.c_str(), "rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) text.append(buf, n);
            std::fclose(f);
        }
        return text;
    }

    std::string m_path;
    int m_saved = -1;
};
