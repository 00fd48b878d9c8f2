#include "rtc/horloge.h"

#include "block/broches.h"
#include "platform/alerte.h"
#include "rtc/bcd.h"

namespace {

// Device address bytes of the clock chip (7-bit bus address 0x68).
constexpr std::uint8_t RTC_ECRITURE = 0xD0;
constexpr std::uint8_t RTC_LECTURE = 0xD1;

// Registers. The chip advances its register pointer after each byte written
// or read, so one transaction covers consecutive registers.
constexpr std::uint8_t REG_SECONDES = 0x00;  // then minutes, hours
constexpr std::uint8_t REG_DATE = 0x04;      // then month, year within the century

// The chip counts years within the century.
constexpr double SIECLE = 2000.0;
// The block has no pin for register 0x03, the day of the week; it writes this.
constexpr std::uint8_t JOUR_SEMAINE_ECRIT = 0x00;

constexpr const char TEXTE_TRANSMISSION[] = "Erreur de transmission";
constexpr const char TITRE_INITIALISATION[] = "InitialisationRTC";
constexpr const char TITRE_LECTURE[] = "Leture";

std::uint8_t bcd_de_broche(double valeur) { return decimal_vers_bcd(octet_de_broche(valeur)); }

void verifier(const IowReport& reponse, const char* titre) {
    if (en_echec(reponse)) alerte::afficher(TEXTE_TRANSMISSION, titre);
}

// Points the chip at `registre`, then reads three registers from there.
IowReport lire_trois_registres(IOWKIT_HANDLE handle, std::uint8_t registre) {
    IowReport rapport = ecriture_i2c(DRAPEAU_START | DRAPEAU_STOP, {RTC_ECRITURE, registre});
    echange(handle, rapport);
    verifier(rapport, TITRE_LECTURE);

    rapport = lecture_i2c(NB_REGISTRES_LUS, RTC_LECTURE);
    echange(handle, rapport);
    return rapport;
}

}  // namespace

void InitRTC(IOWKIT_HANDLE handle, const double* in) {
    // One write transaction over two reports: the first leaves the bus open
    // after register 0x03, the second goes on from register 0x04 and stops.
    IowReport rapport = ecriture_i2c(
        DRAPEAU_START, {RTC_ECRITURE, REG_SECONDES, bcd_de_broche(in[E_sec]),
                        bcd_de_broche(in[E_min]), bcd_de_broche(in[E_heu]), JOUR_SEMAINE_ECRIT});
    echange(handle, rapport);
    verifier(rapport, TITRE_INITIALISATION);

    rapport = ecriture_i2c(DRAPEAU_STOP, {bcd_de_broche(in[E_dat]), bcd_de_broche(in[E_moi]),
                                          bcd_de_broche(in[E_ann] - SIECLE)});
    echange(handle, rapport);
    verifier(rapport, TITRE_INITIALISATION);
}

IowReport Lecture_heureRTC(IOWKIT_HANDLE handle) {
    return lire_trois_registres(handle, REG_SECONDES);
}

IowReport Lecture_dateRTC(IOWKIT_HANDLE handle) { return lire_trois_registres(handle, REG_DATE); }
