# The same as remediate.cmd: waits for Tarnwick (a GUI-subsystem program, which PowerShell would not
# wait for) and exits with its exit code. The log goes to $env:TEMP\tarnwick-update.log.
$folder = Split-Path -Parent $MyInvocation.MyCommand.Path
$run = Start-Process -FilePath (Join-Path $folder 'tarnwick.exe') -ArgumentList '/update' -Wait -PassThru -RedirectStandardOutput (Join-Path $env:TEMP 'tarnwick-update.log')
exit $run.ExitCode
