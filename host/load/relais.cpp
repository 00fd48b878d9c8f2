#include "host/load/relais.h"

#include <cstdio>

#include "host/commun/protocole.h"
#include "host/load/surveillance.h"
#include "host/load/trace.h"
#include "platform/console.h"

namespace host {

namespace {
DeviceFunctions device{};
bool tracing = false;
Journal* journal = nullptr;

void note(Exchange::Call call, const char* buffer, std::uint32_t length, std::uint32_t result) {
    if (journal == nullptr) return;
    Exchange e{call, {}, result};
    if (buffer != nullptr && length >= kReportSize) {
        for (std::size_t i = 0; i < e.report.size(); ++i)
            e.report[i] = static_cast<std::uint8_t>(buffer[i]);
    }
    journal->push_back(e);
}

void trace_report(const char* direction, const char* buffer, std::uint32_t length,
                  const std::string& words) {
    const auto* report = reinterpret_cast<const std::uint8_t*>(buffer);
    if (buffer == nullptr || length < 8) {
        texte::ecrire_format(stderr, "trace: %s (pas de tampon de 8 octets)  %s\n", direction,
                             words.c_str());
    } else {
        texte::ecrire_format(stderr, "trace: %s %s  %s\n", direction, hex(report).c_str(),
                             words.c_str());
    }
}
}  // namespace

void set_relay(const DeviceFunctions& functions, bool trace) {
    device = functions;
    tracing = trace;
}

void keep_journal(Journal* kept) { journal = kept; }

IOWKIT_HANDLE APPEL_STD relay_open() {
    device_call_begins("IowKitOpenDevice");
    IOWKIT_HANDLE handle = device.open();
    device_call_ends();
    note(Exchange::Call::open, nullptr, 0, handle != nullptr);
    if (tracing)
        texte::ecrire_format(stderr, "trace: ouverture  %s\n",
                             handle ? "IOW24 trouvé" : "pas d'IOW24 (poignée nulle)");
    return handle;
}

void APPEL_STD relay_close(IOWKIT_HANDLE handle) {
    if (tracing)
        texte::ecrire_format(stderr, "trace: fermeture%s\n", handle ? "" : " (poignée nulle)");
    device_call_begins("IowKitCloseDevice");
    device.close(handle);
    device_call_ends();
    note(Exchange::Call::close, nullptr, 0, 0);
}

std::uint32_t APPEL_STD relay_read(IOWKIT_HANDLE handle, std::uint32_t pipe, char* buffer,
                                   std::uint32_t length) {
    device_call_begins("IowKitRead");
    const std::uint32_t read = device.read(handle, pipe, buffer, length);
    device_call_ends();
    note(Exchange::Call::read, buffer, length, read);
    if (!tracing) return read;
    const auto* reply = reinterpret_cast<const std::uint8_t*>(buffer);
    const std::string words = describe_read(reply, read);
    // Only the bytes the read brought are a reply: the rest of the buffer
    // still holds the request.
    if (buffer != nullptr && read < kReportSize) {
        const std::string brought =
            read == 0 ? "(aucun octet reçu)" : hex(reply, static_cast<int>(read));
        texte::ecrire_format(stderr, "trace: < %s  %s\n", brought.c_str(), words.c_str());
    } else {
        trace_report("<", buffer, length, words);
    }
    return read;
}

std::uint32_t APPEL_STD relay_write(IOWKIT_HANDLE handle, std::uint32_t pipe, char* buffer,
                                    std::uint32_t length) {
    if (buffer != nullptr && length >= kReportSize) report_sent(buffer);
    device_call_begins("IowKitWrite");
    const std::uint32_t written = device.write(handle, pipe, buffer, length);
    device_call_ends();
    note(Exchange::Call::write, buffer, length, written);
    if (tracing) {
        trace_report(">", buffer, length,
                     describe_write(reinterpret_cast<const std::uint8_t*>(buffer), written));
    }
    return written;
}

}  // namespace host
