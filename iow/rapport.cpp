#include "iow/rapport.h"

namespace {

char* octets(IowReport& rapport) { return reinterpret_cast<char*>(rapport.data()); }

bool basculer_i2c(IOWKIT_HANDLE handle, std::uint8_t etat) {
    IowReport requete{ID_MODE_I2C, etat};
    return IowKitWrite(handle, PIPE_MODE_SPECIAL, octets(requete), TAILLE_RAPPORT) ==
           TAILLE_RAPPORT;
}

}  // namespace

bool InitI2C(IOWKIT_HANDLE handle) { return basculer_i2c(handle, I2C_ACTIF); }

bool CloseI2C(IOWKIT_HANDLE handle) { return basculer_i2c(handle, I2C_INACTIF); }

IowReport ecriture_i2c(std::uint8_t drapeaux, std::initializer_list<std::uint8_t> donnees) {
    IowReport requete{ID_ECRITURE_I2C};
    std::uint8_t nombre = 0;
    for (std::uint8_t octet : donnees) {
        if (nombre == MAX_DONNEES) break;
        requete[OCTET_DONNEES + nombre++] = octet;
    }
    requete[OCTET_COMMANDE] = static_cast<std::uint8_t>(drapeaux | nombre);
    return requete;
}

IowReport lecture_i2c(std::uint8_t nombre, std::uint8_t adresse) {
    return IowReport{ID_LECTURE_I2C, nombre, adresse};
}

void echange(IOWKIT_HANDLE handle, IowReport& rapport) {
    IowKitWrite(handle, PIPE_MODE_SPECIAL, octets(rapport), TAILLE_RAPPORT);
    if (IowKitRead(handle, PIPE_MODE_SPECIAL, octets(rapport), TAILLE_RAPPORT) != TAILLE_RAPPORT) {
        rapport[OCTET_STATUT] |= STATUT_ECHEC;
    }
}

bool en_echec(const IowReport& reponse) { return (reponse[OCTET_STATUT] & STATUT_ECHEC) != 0; }
