@echo off
rem Remediation: exit 0 when nothing needed changing, 3010 when a value was written (restart
rem the computer), 1603 when a value could not be changed. The log goes to
rem %TEMP%\tarnwick-update.log.
"%~dp0tarnwick.exe" /update > "%TEMP%\tarnwick-update.log"
exit /b %ERRORLEVEL%
