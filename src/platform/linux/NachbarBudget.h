#pragma once
// How many neighbour entries the program's sweeps may hold at once.
//
// Every packet to an on-link address makes the kernel resolve it by ARP and keep an entry
// for it: a silent address stays "incomplete" for mcast_solicit x retrans_time (3 s by
// default) and cannot be reclaimed during that time; an address that answered stays
// "reachable" for up to 1.5 x base_reachable_time (45 s). The table is one for the whole
// machine, every namespace included, and creation fails with ENOBUFS at gc_thresh3 (1024
// by default). The scanner threads therefore take a place here before each echo to an
// on-link address and hold it as long as the kernel holds the entry, so that all of them
// together never fill the table for the rest of the machine.

#include <QHash>
#include <QMutex>
#include <chrono>
#include <map>
#include <optional>

class TNachbarBudget {
public:
    using TUhr = std::chrono::steady_clock;

    explicit TNachbarBudget(int grenze) : FGrenze(grenze) {}

    // Takes a place for adresse until bis. Nothing when it was taken (or the address holds
    // one already, which then lasts at least until bis); otherwise how long until the
    // next place frees.
    std::optional<TUhr::duration> Belegen(quint32 adresse, TUhr::time_point jetzt, TUhr::time_point bis);
    // The address answered: its entry is complete now and stays until bis.
    void Verlaengern(quint32 adresse, TUhr::time_point bis);
    // Nothing left for the address (the send failed): no entry was made.
    void Freigeben(quint32 adresse);

    int Belegt(TUhr::time_point jetzt);
    int Grenze() const { return FGrenze; }

private:
    using TAblauf = std::multimap<TUhr::time_point, quint32>;
    void Aufraeumen(TUhr::time_point jetzt);
    void Setzen(quint32 adresse, TUhr::time_point bis);

    QMutex FSperre;
    const int FGrenze;
    TAblauf FAblauf;
    QHash<quint32, TAblauf::iterator> FPlaetze;
};

// The process's one budget: half the kernel's default gc_thresh3, so the other half stays
// for the rest of the machine (the real value is not readable from a namespace).
inline constexpr int NachbarBudgetGrenze = 512;
TNachbarBudget& NachbarBudget();
