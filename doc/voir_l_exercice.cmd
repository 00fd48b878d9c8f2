@echo off
rem Pour l'enseignant : l'exercice en place sur ce PC, pour l'IOW24 virtuel du
rem paquet et pour chaque copie que nomme simulateur.txt (le dossier du
rem simulateur ou le technicien a copie virtuel\iowkit.dll) : les mots, d'ou
rem ils viennent, un mot mal ecrit, un fichier mal nomme. Les eleves ne le
rem voient nulle part ailleurs.
rem Ouvert seul depuis le ZIP, ce fichier n'a pas rtc_host.exe pres de lui.
if not exist "%~dp0..\rtc_host.exe" goto pas_extrait
rem pushd, et non cd : il fait d'un dossier reseau (\\serveur\...) le dossier courant.
pushd "%~dp0.."
rtc_host.exe --exercice --copies "%~dp0simulateur.txt"
popd
echo.
pause
exit /b
:pas_extrait
echo Ce fichier doit etre lance depuis le dossier extrait : extrayez d'abord tout le ZIP (clic droit sur le ZIP, puis "Extraire tout"), puis double-cliquez sur ce fichier dans le dossier extrait.
echo.
pause
