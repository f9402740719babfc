#pragma once

#include <stdexcept>
#include <string>

namespace karvola {

// Any failure to exchange a request and its reply: the host cannot be resolved
// or reached, the exchange broke off or took too long, the reply was too large,
// the request file could not be read. The callers catch it and report it.
class TransportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How Post reads its second argument.
enum class OutputFileMode {
    Off,  // the argument is the body text itself
    On,   // the argument is the path of a file whose bytes are the body
};

// The two exchanges the program has with its web service, behind an interface
// so that tests can stand in for the network. Both block until the whole reply
// is in and return its body whatever the HTTP status: an error page is a body
// like any other, and the callers' own framing checks reject it.
class HttpClient {
public:
    virtual ~HttpClient() = default;

    virtual std::string Get(const std::string& url) = 0;
    // A form POST: the body goes as application/x-www-form-urlencoded.
    virtual std::string Post(const std::string& url, const std::string& bodyOrFile, OutputFileMode mode) = 0;

    // Ends the exchanges in progress, and refuses later ones, with a
    // TransportError: a closing program does not wait out a slow host. Any thread.
    virtual void cancel() {}
};

}  // namespace karvola
