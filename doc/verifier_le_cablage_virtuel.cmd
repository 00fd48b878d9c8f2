@echo off
rem Verification du cablage sur l'IOW24 virtuel du dossier virtuel : pour
rem l'exercice de depannage, avec la panne que l'enseignant a plantee. Elle
rem n'est jamais nommee ici : c'est elle qu'on cherche.
rem Les messages du bloc s'affichent dans cette fenetre.
rem Ouvert seul depuis le ZIP, ce fichier n'a pas rtc_host.exe a cote de lui.
if not exist "%~dp0rtc_host.exe" goto pas_extrait
rem pushd, et non cd : il fait d'un dossier reseau (\\serveur\...) le dossier courant.
pushd "%~dp0"
rtc_host.exe --check --console-alerts
popd
echo.
pause
exit /b
:pas_extrait
echo Ce fichier doit etre lance depuis le dossier extrait : extrayez d'abord tout le ZIP (clic droit sur le ZIP, puis "Extraire tout"), puis double-cliquez sur ce fichier dans le dossier extrait.
echo.
pause
