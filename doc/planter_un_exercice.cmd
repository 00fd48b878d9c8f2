@echo off
rem Pour l'enseignant, a chaque TP : ouvre dans le Bloc-notes le fichier
rem d'exercice du PC, %ProgramData%\rtc_iow24\iowvirt.txt, que jouent toutes
rem les copies de l'IOW24 virtuel sur tous les comptes de ce PC. Ecrivez le
rem mot de la panne, enregistrez, fermez le Bloc-notes : l'exercice en place
rem s'affiche ensuite. Le technicien a ouvert ce dossier en ecriture aux
rem enseignants (une fois par PC, voir LISEZMOI.txt).
rem Ouvert seul depuis le ZIP, ce fichier n'a pas rtc_host.exe pres de lui.
if not exist "%~dp0..\rtc_host.exe" goto pas_extrait
set "dossier=%ProgramData%\rtc_iow24"
if not exist "%dossier%\" mkdir "%dossier%" 2>nul
if not exist "%dossier%\iowvirt.txt" (
    echo # Le mot de la panne, par exemple no-chip, frozen ou invalid. Les lignes> "%dossier%\iowvirt.txt"
    echo # qui commencent par # sont des commentaires, que les eleves ne voient pas.>> "%dossier%\iowvirt.txt"
) 2>nul
if not exist "%dossier%\iowvirt.txt" goto refuse
if not defined RTC_EDITEUR set "RTC_EDITEUR=notepad"
start "" /wait %RTC_EDITEUR% "%dossier%\iowvirt.txt"
call "%~dp0Voir l'exercice.cmd"
exit /b
:refuse
echo Impossible d'ecrire dans %dossier% : demandez au technicien de donner aux enseignants le droit d'y ecrire (LISEZMOI.txt, "Une fois par PC").
echo.
pause
exit /b
:pas_extrait
echo Ce fichier doit etre lance depuis le dossier extrait : extrayez d'abord tout le ZIP (clic droit sur le ZIP, puis "Extraire tout"), puis double-cliquez sur ce fichier dans le dossier extrait.
echo.
pause
