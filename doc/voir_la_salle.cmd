@echo off
rem Pour l'enseignant : la salle d'un coup d'oeil, avant l'arrivee des eleves.
rem Rassemble les rapports que les postes laissent dans le dossier postes du
rem dossier de la salle (chaque verification du cablage, chaque ouverture de
rem l'IOW24 virtuel par le simulateur) dans salle.html, ouvert dans le
rem navigateur, et salle.csv pour Excel, tous deux dans le dossier de la
rem salle. Ce dossier est celui que nomme salle.txt sur ce PC (LISEZMOI.txt) ;
rem on peut aussi deposer le dossier d'une salle sur ce fichier.
rem Ouvert seul depuis le ZIP, ce fichier n'a pas rtc_host.exe pres de lui.
if not exist "%~dp0..\rtc_host.exe" goto pas_extrait
rem pushd, et non cd : il fait d'un dossier reseau (\\serveur\...) le dossier courant.
pushd "%~dp0.."
if "%~1"=="" goto salle_du_pc
rtc_host.exe --salle "%~1" %RTC_SALLE_OPTIONS%
goto fin
:salle_du_pc
rtc_host.exe --salle %RTC_SALLE_OPTIONS%
:fin
popd
echo.
pause
exit /b
:pas_extrait
echo Ce fichier doit etre lance depuis le dossier extrait : extrayez d'abord tout le ZIP (clic droit sur le ZIP, puis "Extraire tout"), puis double-cliquez sur ce fichier dans le dossier extrait.
echo.
pause
