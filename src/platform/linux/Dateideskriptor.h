#pragma once
// A file descriptor that closes itself.

#include <unistd.h>
#include <utility>

class TDateideskriptor {
public:
    TDateideskriptor() = default;
    explicit TDateideskriptor(int fd) : FFd(fd) {}
    ~TDateideskriptor() {
        if (FFd >= 0)
            ::close(FFd);
    }
    TDateideskriptor(TDateideskriptor&& anderer) noexcept : FFd(std::exchange(anderer.FFd, -1)) {}
    TDateideskriptor& operator=(TDateideskriptor&& anderer) noexcept {
        if (this != &anderer) {
            if (FFd >= 0)
                ::close(FFd);
            FFd = std::exchange(anderer.FFd, -1);
        }
        return *this;
    }
    TDateideskriptor(const TDateideskriptor&) = delete;
    TDateideskriptor& operator=(const TDateideskriptor&) = delete;

    int Fd() const { return FFd; }
    bool Gueltig() const { return FFd >= 0; }

private:
    int FFd = -1;
};
