@echo off
rem Detection: exit 0 when nothing would change, 1 when the update would change a value,
rem 1603 when a value could not be read. The log goes to %TEMP%\tarnwick-check.log.
"%~dp0tarnwick.exe" /check > "%TEMP%\tarnwick-check.log"
exit /b %ERRORLEVEL%
