#pragma once

#include <cerrno>
#include <functional>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

#include "core/ThreadGroup.h"

// Starts threads as std::thread does until the system "refuses" one: launch number `refused`
// (counted from 0) throws what a failed pthread_create makes std::thread throw, as it does when
// ulimit -u or the memory for stacks runs out.
inline ThreadGroup::Launch refusingFrom(int refused, int error = EAGAIN) {
    auto launches = std::make_shared<int>(0);
    return [launches, refused, error](std::function<void()> body) {
        if ((*launches)++ == refused) {
            throw std::system_error(error, std::generic_category());
        }
        return std::thread(std::move(body));
    };
}
