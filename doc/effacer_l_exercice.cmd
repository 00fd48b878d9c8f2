@echo off
rem Pour l'enseignant, a la fin du TP : efface le fichier d'exercice du PC,
rem %ProgramData%\rtc_iow24\iowvirt.txt, puis montre ce qui reste en place
rem (un iowvirt.txt a cote d'une copie de l'IOW24 virtuel compte de nouveau).
rem Ouvert seul depuis le ZIP, ce fichier n'a pas rtc_host.exe pres de lui.
if not exist "%~dp0..\rtc_host.exe" goto pas_extrait
set "fichier=%ProgramData%\rtc_iow24\iowvirt.txt"
if exist "%fichier%" del "%fichier%" 2>nul
if exist "%fichier%" echo Impossible d'effacer %fichier% : demandez au technicien de donner aux enseignants le droit d'y ecrire (LISEZMOI.txt, "Une fois par PC").
call "%~dp0Voir l'exercice.cmd"
exit /b
:pas_extrait
echo Ce fichier doit etre lance depuis le dossier extrait : extrayez d'abord tout le ZIP (clic droit sur le ZIP, puis "Extraire tout"), puis double-cliquez sur ce fichier dans le dossier extrait.
echo.
pause
