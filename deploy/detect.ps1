# The same as detect.cmd: waits for Tarnwick (a GUI-subsystem program, which PowerShell would not
# wait for) and exits with its exit code. The log goes to $env:TEMP\tarnwick-check.log.
$folder = Split-Path -Parent $MyInvocation.MyCommand.Path
$run = Start-Process -FilePath (Join-Path $folder 'tarnwick.exe') -ArgumentList '/check' -Wait -PassThru -RedirectStandardOutput (Join-Path $env:TEMP 'tarnwick-check.log')
exit $run.ExitCode
