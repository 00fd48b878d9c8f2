// Entry points that the host simulation program calls. All run on the host's
// thread, one at a time; the only state is the device handle.
#include <cstdint>

#include "block/broches.h"
#include "block/rtc_iow24.h"
#include "iow/rapport.h"
#include "platform/alerte.h"
#include "platform/appel.h"
#include "rtc/bcd.h"
#include "rtc/horloge.h"

namespace {

IOWKIT_HANDLE IOWarrior = nullptr;

constexpr std::uint32_t MASQUE_INDICE = 0xFF;

constexpr const char TITRE_RECHERCHE[] = "Recherche IOW24";
constexpr const char TEXTE_ABSENT[] = "Echec lors de l'ouverture de IOW24";
constexpr const char TEXTE_DETECTE[] =
    "IOW24 d\xE9tect\xE9 : initialisation de la liaison I\xB2"
    "C";
constexpr const char TITRE_ECRITURE[] = "Ecriture";
constexpr const char TEXTE_ECHEC_I2C[] = "Echec pour initialiser l'I2C";
constexpr const char TITRE_LECTURE[] = "LECTURE";
constexpr const char TEXTE_ECHEC_LECTURE[] = "Erreur de lecture";

bool haut(double niveau) { return niveau > SEUIL_LOGIQUE; }

// Copies a pin name and its NUL into the host's buffer; other indices leave
// the buffer as it was.
void copier_nom(const char* const* noms, std::uint8_t nombre, std::uint32_t indice, char* nom) {
    const auto i = static_cast<std::uint8_t>(indice & MASQUE_INDICE);
    if (nom == nullptr || i >= nombre) return;
    const char* source = noms[i];
    do {
        *nom++ = *source;
    } while (*source++ != '\0');
}

// Drives three outputs from the three register bytes of a read reply, unless
// the reply failed.
void publier(const IowReport& reponse, double* out, std::uint8_t premiere_sortie) {
    if (en_echec(reponse)) {
        alerte::afficher(TEXTE_ECHEC_LECTURE, TITRE_LECTURE);
        return;
    }
    for (std::uint8_t k = 0; k < NB_REGISTRES_LUS; ++k) {
        out[premiere_sortie + k] = bcd_vers_decimal(reponse[OCTET_DONNEES + k]);
    }
}

}  // namespace

extern "C" {

// The loader calls this on attach and detach; nothing is set up or torn down.
int APPEL_STD DllMain(void*, std::uint32_t, void*) { return 1; }

std::int32_t APPEL_STD NumInputs() { return nbentrees; }

std::int32_t APPEL_STD NumOutputs() { return nbsorties; }

// The index arrives in a 4-byte slot; only its low 8 bits count.
void APPEL_STD GetInputName(std::uint32_t indice, char* nom) {
    copier_nom(noms_entrees, nbentrees, indice, nom);
}

void APPEL_STD GetOutputName(std::uint32_t indice, char* nom) {
    copier_nom(noms_sorties, nbsorties, indice, nom);
}

void APPEL_STD CSimStart(void*, void*, void*) {
    // A start without a stop would leak the previous run's device.
    if (IOWarrior != nullptr) IowKitCloseDevice(IOWarrior);
    IOWarrior = IowKitOpenDevice();
    alerte::afficher(IOWarrior == nullptr ? TEXTE_ABSENT : TEXTE_DETECTE, TITRE_RECHERCHE);
    if (!InitI2C(IOWarrior)) alerte::afficher(TEXTE_ECHEC_I2C, TITRE_ECRITURE);
}

void APPEL_STD CSimStop(void*, void*, void*) {
    if (!CloseI2C(IOWarrior)) alerte::afficher(TEXTE_ECHEC_I2C, TITRE_ECRITURE);
    IowKitCloseDevice(IOWarrior);
    // A step or a stop after this one must not reach a closed device.
    IOWarrior = nullptr;
}

void APPEL_STD CConfigure(void*) {}

void APPEL_STD CCalculate(double* in, double* out, void*) {
    if (in == nullptr || out == nullptr) return;
    if (haut(in[E_init])) {
        InitRTC(IOWarrior, in);
    } else if (haut(in[E_RD])) {
        publier(Lecture_heureRTC(IOWarrior), out, S_sec);
        publier(Lecture_dateRTC(IOWarrior), out, S_dat);
    }
}

}  // extern "C"
