#include "platform/linux/Klang.h"

#include <canberra.h>
#include <memory>

namespace {
struct TKontextFreigabe {
    void operator()(ca_context* k) const { ca_context_destroy(k); }
};

// One context for the program's life; only the user-interface thread plays sounds.
ca_context* Kontext() {
    static const std::unique_ptr<ca_context, TKontextFreigabe> kontext = [] {
        ca_context* k = nullptr;
        if (ca_context_create(&k) != CA_SUCCESS)
            return std::unique_ptr<ca_context, TKontextFreigabe>();
        ca_context_change_props(k, CA_PROP_APPLICATION_NAME, "Veltrano", CA_PROP_APPLICATION_ID, "veltrano",
                                nullptr);
        return std::unique_ptr<ca_context, TKontextFreigabe>(k);
    }();
    return kontext.get();
}
} // namespace

bool LinuxKlangSpielen(TKlaenge::TKlang klang) {
    ca_context* k = Kontext();
    if (!k)
        return false;
    // The freedesktop names of the Windows events "systemnotification" and "systemasterisk".
    const char* ereignis = klang == TKlaenge::TKlang::Asterisk ? "dialog-information" : "message-new-instant";
    return ca_context_play(k, 0, CA_PROP_EVENT_ID, ereignis, nullptr) == CA_SUCCESS;
}
