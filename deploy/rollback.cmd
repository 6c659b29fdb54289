@echo off
rem Rollback: exit 0 when there was nothing to undo, 3010 when a value was restored (restart
rem the computer), 1603 when a value was kept or could not be restored. The log goes to
rem %TEMP%\tarnwick-undo.log.
"%~dp0tarnwick.exe" /undo > "%TEMP%\tarnwick-undo.log"
exit /b %ERRORLEVEL%
