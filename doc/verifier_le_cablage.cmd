@echo off
rem Verification du cablage avec le vrai IOW24.
rem rtc_host charge l'iowkit.dll du fabricant comme Windows la trouve pour un
rem programme de ce dossier : dans les dossiers systeme, ou l'installe le
rem logiciel de l'IOW24. Jamais l'IOW24 virtuel du dossier virtuel ; une copie
rem de l'IOW24 virtuel trouvee a sa place est un defaut (--hardware).
rem Les messages du bloc s'affichent dans cette fenetre.
rem Ouvert seul depuis le ZIP, ce fichier n'a pas rtc_host.exe a cote de lui.
if not exist "%~dp0rtc_host.exe" goto pas_extrait
rem pushd, et non cd : il fait d'un dossier reseau (\\serveur\...) le dossier courant.
pushd "%~dp0"
rtc_host.exe --device iowkit.dll --check --hardware --console-alerts
popd
echo.
pause
exit /b
:pas_extrait
echo Ce fichier doit etre lance depuis le dossier extrait : extrayez d'abord tout le ZIP (clic droit sur le ZIP, puis "Extraire tout"), puis double-cliquez sur ce fichier dans le dossier extrait.
echo.
pause
