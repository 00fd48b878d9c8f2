@echo off
rem Verification du cablage avec le vrai IOW24.
rem rtc_host charge l'iowkit.dll du fabricant comme Windows la trouve pour un
rem programme de ce dossier : dans les dossiers systeme, ou l'installe le
rem logiciel de l'IOW24. Jamais l'IOW24 virtuel du dossier virtuel.
rem Les messages du bloc s'affichent dans cette fenetre.
cd /d "%~dp0"
rtc_host.exe --device iowkit.dll --check --console-alerts
echo.
pause
