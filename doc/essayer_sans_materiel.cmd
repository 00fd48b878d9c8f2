@echo off
rem Essai sans materiel, avec l'IOW24 virtuel du dossier virtuel : met son
rem horloge a l'heure du PC, puis la lit 5 fois, une fois par seconde.
rem Les messages du bloc s'affichent dans cette fenetre.
cd /d "%~dp0"
rtc_host.exe --set now --read 5 --period-ms 1000 --console-alerts
echo.
pause
