#include "common/ParallelWork.h"

#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace karvola {

void RunOnThreads(unsigned threads, const std::function<void(unsigned worker)>& work) {
    threads = std::max(threads, 1U);
    std::vector<std::exception_ptr> failures(threads);
    const auto guarded = [&](unsigned worker) {
        try {
            work(worker);
        } catch (...) {
            failures[worker] = std::current_exception();
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(threads - 1);
    for (unsigned worker = 1; worker < threads; ++worker) {
        try {
            pool.emplace_back(guarded, worker);
        } catch (const std::system_error&) {
            break;  // the others take its share
        }
    }
    guarded(0);
    for (std::thread& thread : pool) thread.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
}

}  // namespace karvola
