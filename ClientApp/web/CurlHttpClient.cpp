#include "web/CurlHttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "common/FileSystem.h"

namespace karvola {

namespace {

// libcurl's process-wide state, set up by the first exchange and released at
// exit. A function-local static is initialised once even when threads race.
class CurlLibrary final {
public:
    CurlLibrary() {
        const CURLcode code = curl_global_init(CURL_GLOBAL_DEFAULT);
        if (code != CURLE_OK) throw TransportError(std::string("libcurl cannot start: ") + curl_easy_strerror(code));
    }
    ~CurlLibrary() { curl_global_cleanup(); }
    CurlLibrary(const CurlLibrary&) = delete;
    CurlLibrary& operator=(const CurlLibrary&) = delete;
};

void startCurl() {
    static const CurlLibrary library;
}

struct EasyHandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyHandleDeleter>;

struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

HeaderList makeHeaderList(std::initializer_list<const char*> lines) {
    HeaderList list;
    for (const char* line : lines) {
        // The head stays the same once the list exists; on failure the list is left as it was.
        curl_slist* head = curl_slist_append(list.get(), line);
        if (head == nullptr) throw TransportError("out of memory for the request headers");
        if (!list) list.reset(head);
    }
    return list;
}

// The reply body as it arrives, cut off at the size limit.
struct ReplySink {
    std::size_t limit = 0;
    std::string body;
    bool tooLarge = false;
    bool outOfMemory = false;
};

// Returning less than was given makes libcurl abort with CURLE_WRITE_ERROR.
std::size_t receiveBody(char* data, std::size_t size, std::size_t count, void* context) {
    auto& sink = *static_cast<ReplySink*>(context);
    const std::size_t bytes = size * count;
    if (bytes > sink.limit - sink.body.size()) {
        sink.tooLarge = true;
        return 0;
    }
    try {
        sink.body.append(data, bytes);
    } catch (...) {  // nothing may be thrown through libcurl
        sink.outOfMemory = true;
        return 0;
    }
    return bytes;
}

// libcurl's progress report: a non-zero answer aborts the exchange.
int abortWhenCancelled(void* cancelled, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(cancelled)->load() ? 1 : 0;
}

// "127.0.0.1:8470" from "http://127.0.0.1:8470/odds", for messages.
std::string authorityOf(std::string_view url) {
    if (const std::size_t scheme = url.find("://"); scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
    return std::string(url.substr(0, url.find_first_of("/?#")));
}

std::string describeSize(std::size_t bytes) {
    constexpr std::size_t kKilo = 1024;
    if (bytes > 0 && bytes % (kKilo * kKilo) == 0) return std::to_string(bytes / (kKilo * kKilo)) + " MB";
    if (bytes > 0 && bytes % kKilo == 0) return std::to_string(bytes / kKilo) + " KB";
    return std::to_string(bytes) + " bytes";
}

// A zero time-out would mean "none" to libcurl.
long milliseconds(std::chrono::milliseconds duration) {
    return static_cast<long>(
        std::clamp<std::chrono::milliseconds::rep>(duration.count(), 1, std::numeric_limits<long>::max()));
}

curl_off_t maxFileSize(std::size_t bytes) {
    return static_cast<curl_off_t>(std::min<std::size_t>(bytes, std::numeric_limits<curl_off_t>::max()));
}

// Options are set once per handle; a failure here is a programming fault or
// a libcurl without a feature we rely on, and must not pass unnoticed.
template <typename Value>
void setOption(CURL* handle, CURLoption option, Value value) {
    const CURLcode code = curl_easy_setopt(handle, option, value);
    if (code != CURLE_OK) throw TransportError(std::string("libcurl refused an option: ") + curl_easy_strerror(code));
}

}  // namespace

CurlHttpClient::CurlHttpClient(HttpLimits limits) : m_limits(limits) {}

std::string CurlHttpClient::Get(const std::string& url) {
    return exchange(url, nullptr);
}

std::string CurlHttpClient::Post(const std::string& url, const std::string& bodyOrFile, OutputFileMode mode) {
    if (mode == OutputFileMode::Off) return exchange(url, &bodyOrFile);
    LocalFileSystem files;
    const std::optional<std::string> body = files.readFile(bodyOrFile);
    if (!body) throw TransportError("cannot read the request file \"" + bodyOrFile + "\"");
    return exchange(url, &*body);
}

std::string CurlHttpClient::exchange(const std::string& url, const std::string* postBody) {
    if (m_cancelled) throw TransportError("the exchange with " + authorityOf(url) + " was cancelled");
    startCurl();
    const EasyHandle handle(curl_easy_init());
    if (!handle) throw TransportError("libcurl cannot start an exchange");
    CURL* const curl = handle.get();

    char error[CURL_ERROR_SIZE] = {};
    ReplySink sink;
    sink.limit = m_limits.maxReplyBytes;
    // Without an Accept line the request carries only what the exchange needs;
    // an empty "Expect:" keeps libcurl from waiting for a "100 Continue".
    const HeaderList headers =
        postBody == nullptr ? makeHeaderList({"Accept:"})
                            : makeHeaderList({"Content-type: application/x-www-form-urlencoded", "Accept:", "Expect:"});

    setOption(curl, CURLOPT_ERRORBUFFER, error);
    setOption(curl, CURLOPT_URL, url.c_str());
    setOption(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    setOption(curl, CURLOPT_DEFAULT_PROTOCOL, "http");
    // An empty proxy overrides http_proxy and the like from the environment.
    setOption(curl, CURLOPT_PROXY, "");
    setOption(curl, CURLOPT_FOLLOWLOCATION, 0L);
    // No signals for time-outs: exchanges run on worker threads.
    setOption(curl, CURLOPT_NOSIGNAL, 1L);
    setOption(curl, CURLOPT_CONNECTTIMEOUT_MS, milliseconds(m_limits.connectTimeout));
    setOption(curl, CURLOPT_TIMEOUT_MS, milliseconds(m_limits.totalTimeout));
    // Refuses an announced Content-Length over the limit before any body byte;
    // receiveBody catches replies without one or longer than announced.
    setOption(curl, CURLOPT_MAXFILESIZE_LARGE, maxFileSize(m_limits.maxReplyBytes));
    setOption(curl, CURLOPT_WRITEFUNCTION, &receiveBody);
    setOption(curl, CURLOPT_WRITEDATA, static_cast<void*>(&sink));
    setOption(curl, CURLOPT_HTTPHEADER, headers.get());
    setOption(curl, CURLOPT_XFERINFOFUNCTION, &abortWhenCancelled);
    setOption(curl, CURLOPT_XFERINFODATA, static_cast<void*>(&m_cancelled));
    setOption(curl, CURLOPT_NOPROGRESS, 0L);
    if (postBody == nullptr) {
        setOption(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        setOption(curl, CURLOPT_HTTPGET, 1L);
    } else {
        setOption(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
        setOption(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody->size()));
        setOption(curl, CURLOPT_POSTFIELDS, postBody->data());
    }

    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) return std::move(sink.body);
    if (sink.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        throw TransportError("the reply from " + authorityOf(url) + " is larger than " +
                             describeSize(m_limits.maxReplyBytes));
    }
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        throw TransportError("the exchange with " + authorityOf(url) + " was cancelled");
    }
    if (sink.outOfMemory) throw TransportError("the reply from " + authorityOf(url) + " does not fit in memory");
    const std::string reason = error[0] != '\0' ? error : curl_easy_strerror(code);
    throw TransportError((postBody == nullptr ? "GET " : "POST ") + url + " failed: " + reason);
}

}  // namespace karvola
