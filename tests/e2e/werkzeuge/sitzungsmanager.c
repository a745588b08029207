/* A minimal X session manager (XSMP over ICE, libSM) that a test drives line by line, as xsm's
 * buttons would: the session's clients register with it, "checkpoint" asks each of them to save
 * (save type Both, no shutdown: xsm's "Checkpoint"), "ende" ends the session (save type Both
 * with shutdown, then "Die" once a client has saved: xsm's "Shutdown").
 *
 * First line on standard output: SESSION_MANAGER=<address>. Then one line per event:
 * "angemeldet <id>", "gesichert <1|0>", "beendet". Build: cc sitzungsmanager.c -lSM -lICE */

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define MAX_VERBINDUNGEN 32

struct Klient {
    SmsConn sms;
    IceConn ice;
    int endeS; /* a shutdown save is running: Die after it is done */
};

static struct Klient klienten[MAX_VERBINDUNGEN];
static int anzahlKlienten;
static IceConn offeneIce[MAX_VERBINDUNGEN];
static int anzahlIce;

static Bool AlleErlauben(char* host) {
    (void)host;
    return True; /* the test's own clients carry no ICE authority */
}

static Status Anmelden(SmsConn sms, SmPointer daten, char* frueher) {
    (void)daten;
    char* id = frueher ? frueher : SmsGenerateClientID(sms);
    if (!SmsRegisterClientReply(sms, id))
        return 0;
    printf("angemeldet %s\n", id);
    fflush(stdout);
    if (!frueher)
        free(id);
    return 1;
}

static void Interaktion(SmsConn sms, SmPointer daten, int art) {
    (void)daten;
    (void)art;
    SmsInteract(sms);
}

static void Phase2(SmsConn sms, SmPointer daten) {
    (void)daten;
    SmsSaveYourselfPhase2(sms);
}

static void Gesichert(SmsConn sms, SmPointer daten, Bool erfolgS) {
    struct Klient* k = daten;
    (void)sms;
    printf("gesichert %d\n", erfolgS ? 1 : 0);
    fflush(stdout);
    if (k->endeS)
        SmsDie(k->sms);
}

static void Geschlossen(SmsConn sms, SmPointer daten, int anzahl, char** gruende) {
    struct Klient* k = daten;
    IceConn ice = SmsGetIceConnection(sms);
    SmFreeReasons(anzahl, gruende);
    SmsCleanUp(sms);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
    k->sms = NULL;
    for (int i = 0; i < anzahlIce; ++i)
        if (offeneIce[i] == ice)
            offeneIce[i] = offeneIce[--anzahlIce];
    printf("beendet\n");
    fflush(stdout);
}

static void EigenschaftenSetzen(SmsConn sms, SmPointer daten, int anzahl, SmProp** werte) {
    (void)sms;
    (void)daten;
    for (int i = 0; i < anzahl; ++i)
        SmFreeProperty(werte[i]);
    free(werte);
}

static void EigenschaftenLoeschen(SmsConn sms, SmPointer daten, int anzahl, char** namen) {
    (void)sms;
    (void)daten;
    for (int i = 0; i < anzahl; ++i)
        free(namen[i]);
    free(namen);
}

static void EigenschaftenGeben(SmsConn sms, SmPointer daten) {
    (void)daten;
    SmsReturnProperties(sms, 0, NULL);
}

static void SicherungVerlangt(SmsConn sms, SmPointer daten, int art, Bool ende, int stil, Bool schnell,
                              Bool global) {
    (void)sms;
    (void)daten;
    (void)art;
    (void)ende;
    (void)stil;
    (void)schnell;
    (void)global;
}

static void InteraktionFertig(SmsConn sms, SmPointer daten, Bool abgebrochen) {
    (void)sms;
    (void)daten;
    (void)abgebrochen;
}

static Status NeuerKlient(SmsConn sms, SmPointer daten, unsigned long* maske, SmsCallbacks* cb,
                          char** fehler) {
    (void)daten;
    if (anzahlKlienten == MAX_VERBINDUNGEN) {
        *fehler = strdup("zu viele Klienten");
        return 0;
    }
    struct Klient* k = &klienten[anzahlKlienten++];
    k->sms = sms;
    k->ice = SmsGetIceConnection(sms);
    k->endeS = 0;
    memset(cb, 0, sizeof *cb);
    cb->register_client.callback = Anmelden;
    cb->register_client.manager_data = k;
    cb->interact_request.callback = Interaktion;
    cb->interact_request.manager_data = k;
    cb->interact_done.callback = InteraktionFertig;
    cb->interact_done.manager_data = k;
    cb->save_yourself_request.callback = SicherungVerlangt;
    cb->save_yourself_request.manager_data = k;
    cb->save_yourself_phase2_request.callback = Phase2;
    cb->save_yourself_phase2_request.manager_data = k;
    cb->save_yourself_done.callback = Gesichert;
    cb->save_yourself_done.manager_data = k;
    cb->close_connection.callback = Geschlossen;
    cb->close_connection.manager_data = k;
    cb->set_properties.callback = EigenschaftenSetzen;
    cb->set_properties.manager_data = k;
    cb->delete_properties.callback = EigenschaftenLoeschen;
    cb->delete_properties.manager_data = k;
    cb->get_properties.callback = EigenschaftenGeben;
    cb->get_properties.manager_data = k;
    *maske = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsSaveYourselfRequestProcMask |
             SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask |
             SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    return 1;
}

static void Befehl(const char* zeile) {
    const int endeS = strncmp(zeile, "ende", 4) == 0;
    if (!endeS && strncmp(zeile, "checkpoint", 10) != 0)
        return;
    for (int i = 0; i < anzahlKlienten; ++i)
        if (klienten[i].sms) {
            klienten[i].endeS = endeS;
            SmsSaveYourself(klienten[i].sms, SmSaveBoth, endeS ? True : False, SmInteractStyleNone, False);
            IceFlush(klienten[i].ice);
        }
}

int main(void) {
    char fehler[256] = "";
    if (!SmsInitialize("Veltrano-Test", "1.0", NeuerKlient, NULL, AlleErlauben, sizeof fehler, fehler)) {
        fprintf(stderr, "SmsInitialize: %s\n", fehler);
        return 1;
    }
    int anzahlLauscher = 0;
    IceListenObj* lauscher = NULL;
    if (!IceListenForConnections(&anzahlLauscher, &lauscher, sizeof fehler, fehler)) {
        fprintf(stderr, "IceListenForConnections: %s\n", fehler);
        return 1;
    }
    for (int i = 0; i < anzahlLauscher; ++i)
        IceSetHostBasedAuthProc(lauscher[i], AlleErlauben);
    char* adresse = IceComposeNetworkIdList(anzahlLauscher, lauscher);
    printf("SESSION_MANAGER=%s\n", adresse);
    fflush(stdout);
    free(adresse);

    char zeile[128];
    size_t belegt = 0;
    for (;;) {
        struct pollfd fds[1 + MAX_VERBINDUNGEN * 2];
        int n = 0;
        fds[n++] = (struct pollfd){.fd = STDIN_FILENO, .events = POLLIN};
        for (int i = 0; i < anzahlLauscher; ++i)
            fds[n++] = (struct pollfd){.fd = IceGetListenConnectionNumber(lauscher[i]), .events = POLLIN};
        for (int i = 0; i < anzahlIce; ++i)
            fds[n++] = (struct pollfd){.fd = IceConnectionNumber(offeneIce[i]), .events = POLLIN};
        if (poll(fds, (nfds_t)n, -1) < 0)
            continue;
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            const ssize_t r = read(STDIN_FILENO, zeile + belegt, sizeof zeile - 1 - belegt);
            if (r <= 0)
                return 0; /* the test ended */
            belegt += (size_t)r;
            zeile[belegt] = '\0';
            char* nl;
            while ((nl = strchr(zeile, '\n'))) {
                *nl = '\0';
                Befehl(zeile);
                belegt -= (size_t)(nl + 1 - zeile);
                memmove(zeile, nl + 1, belegt + 1);
            }
            if (belegt == sizeof zeile - 1)
                belegt = 0;
        }
        for (int i = 0; i < anzahlLauscher; ++i)
            if (fds[1 + i].revents & POLLIN) {
                IceAcceptStatus status;
                IceConn ice = IceAcceptConnection(lauscher[i], &status);
                if (!ice || status != IceAcceptSuccess)
                    continue;
                IceConnectStatus c;
                while ((c = IceConnectionStatus(ice)) == IceConnectPending)
                    if (IceProcessMessages(ice, NULL, NULL) == IceProcessMessagesIOError)
                        break;
                if (c == IceConnectAccepted && anzahlIce < MAX_VERBINDUNGEN)
                    offeneIce[anzahlIce++] = ice;
                else
                    IceCloseConnection(ice);
            }
        for (int i = 1 + anzahlLauscher; i < n; ++i)
            if (fds[i].revents & (POLLIN | POLLHUP)) {
                IceConn ice = NULL;
                for (int j = 0; j < anzahlIce; ++j)
                    if (IceConnectionNumber(offeneIce[j]) == fds[i].fd)
                        ice = offeneIce[j];
                if (ice && IceProcessMessages(ice, NULL, NULL) == IceProcessMessagesIOError) {
                    for (int j = 0; j < anzahlIce; ++j)
                        if (offeneIce[j] == ice)
                            offeneIce[j] = offeneIce[--anzahlIce];
                    IceCloseConnection(ice);
                }
            }
    }
}
