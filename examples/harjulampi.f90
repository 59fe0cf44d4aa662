! The main job in Fortran: the Lake Harjulampi example site run through the
! library with the module morvane alone, as a model program does. It computes
! the same run as the C++ program (harjulampi.cpp) and writes the same files.
!
!   harjulampi_fortran [SITE_DIR [MODEL]]     (defaults: examples/site KESTO)
!
! It may be started in any directory: the keyword file names its data files
! and its dictionary relative to itself, and the files are written beside it.

! The model's variables and the lookup of their observation records.
module harjulampi_variables
  use, intrinsic :: iso_c_binding, only: c_char, c_int32_t
  use morvane, only: morvane_get
  implicit none
  private
  integer, parameter, public :: nvar = 11
  ! Windows with several variables carry short legends; the units are in the
  ! single-variable legends.
  character(len=8), parameter, public :: var_name(nvar) = [character(len=8) :: &
      'SO4dep', 'Ndep', 'BCdep', 'BCwe', 'BCupt', 'ExS', 'ExN', 'pH', 'BS', 'pH_lake', 'ANC_lake']
  character(len=24), parameter, public :: var_description(nvar) = [character(len=24) :: &
      'S dep.', 'N dep.', 'BC dep.', 'BC weath.', 'BC uptake', 'Ex(S)', 'Ex(N)', &
      'Soil solution pH, 40 cm', 'Base saturation, -', 'Lake pH', 'Lake ANC, ueq/L']
  real, parameter, public :: var_ymin(nvar) = &
      [0.0, 0.0, 0.0, 0.0, 0.0, -20.0, -20.0, 4.0, 0.0, 4.5, -60.0]
  real, parameter, public :: var_ymax(nvar) = &
      [150.0, 150.0, 150.0, 40.0, 40.0, 100.0, 100.0, 5.5, 0.4, 7.0, 60.0]
  integer, parameter, public :: var_ndiv(nvar) = [3, 3, 3, 4, 4, 4, 4, 3, 4, 5, 4]
  integer, parameter, public :: var_window(nvar) = [1, 1, 1, 2, 2, 3, 3, 4, 5, 6, 7]
  public :: obs_index

contains

  ! The observation record of a variable: one per variable, in their order.
  function obs_index(name, name_len) bind(c) result(irec)
#if __SIZEOF_POINTER__ == 4
!GCC$ ATTRIBUTES STDCALL :: obs_index
#endif
    integer(c_int32_t), value :: name_len
    character(kind=c_char), intent(in) :: name(name_len)
    integer(c_int32_t) :: irec
    integer :: i
    irec = 0
    do i = 1, nvar
      if (morvane_get(name) == trim(var_name(i))) then
        irec = i
        return
      end if
    end do
  end function obs_index

end module harjulampi_variables

program harjulampi
  use, intrinsic :: iso_c_binding, only: c_null_ptr
  use, intrinsic :: iso_fortran_env, only: error_unit
  use morvane
  use harjulampi_variables
  implicit none

  ! Time steps the program admits: 1850 .. 1850 + 251 * 12 - 1 covers the
  ! monthly model as well.
  integer, parameter :: ib = 1850, ie = 1850 + 251 * 12 - 1

  type(KEYLIST), save :: list
  type(VarDescriptor) :: vars(nvar)
  type(SeriesSpec) :: mon, bal, obs(nvar), frozen_mon, runs(9)
  type(PlotSettings) :: pset
  character(len=128) :: site, msg, title, psfile, subttl
  character(len=:), allocatable :: site_dir, model, lower, mon_path, frozen_path, dir, eps
  character(len=256) :: arg

  ! Everything READINP returns; values it may leave alone start as below.
  integer :: iyb = 0, iye = 0, nstep = 1, addso4ss = 0, excmod = 0, rcoomod = 0
  real :: thick = 0.5, bulkdens = 1200.0, cec = 50.0, eca = 0.0, emg = 0.0, ek = 0.0, bsat = 0.0
  real :: expal = 0.0, cpool = 0.0, cnrat = 0.0, cnmin = 0.0, cnmax = 0.0, cnseq = 0.0, fde = 0.0
  real :: parentca = 0.0, alox = 0.0, so4admax = 0.0, so4half = 0.0, po4admax = 0.0
  real :: po4half = 0.0, exph = 0.0, fni = 0.0
  real :: kexc(6, 6) = 0.0, rcoopars(3) = 0.0, cmin(9) = 0.0, alapars(2) = 0.0
  real, dimension(ib:ie) :: theta = 0.0, pco2 = 0.0, lgkalox = 0.0, nimacc = 0.0, crcoo = 0.0, &
      tempc = 0.0, percol = 0.0, alwe = 0.0, nfix = 0.0
  real, dimension(9, ib:ie) :: weathering = 0.0, uptake = 0.0, deposition = 0.0

  ! The surface-water companion's inputs.
  real :: area_c = 0.0, area_l = 0.0, depth_l = 0.0, pco2w = 0.0, expalw = 0.0, lgkaloxw = 0.0
  real :: retention(9) = 0.0, orgparw(3) = 0.0, alaparw(2) = 0.0, mdocw(ib:ie) = 0.0
  integer :: orgmodw = -1

  real, allocatable :: time(:), val(:, :), val_frozen(:, :)
  integer :: ivar(nvar), i, nt, status, cmdstat

  site_dir = 'examples/site'
  model = 'KESTO'
  if (command_argument_count() >= 1) then
    call get_command_argument(1, arg)
    site_dir = trim(arg)
  end if
  if (command_argument_count() >= 2) then
    call get_command_argument(2, arg)
    model = trim(arg)
  end if
  lower = lowercase(model)

  do i = 1, nvar
    call morvane_set(vars(i)%name, var_name(i))
    call morvane_set(vars(i)%description, var_description(i))
    vars(i)%ymin = var_ymin(i)
    vars(i)%ymax = var_ymax(i)
    vars(i)%ndiv = var_ndiv(i)
  end do

  call morvane_set(list%name, model)
  ! The keyword file in the site folder; the library completes the names it
  ! holds with that folder (either separator ends it).
  if (scan(site_dir, '/\', back=.true.) == len(site_dir)) then
    call morvane_set(list%file, site_dir // lower // '.inp')
  else
    call morvane_set(list%file, site_dir // '/' // lower // '.inp')
  end if
  call READINP(nvar, vars, obs_index, list, ib, ie, site, iyb, iye, nstep, addso4ss, thick, &
      bulkdens, theta, pco2, cec, eca, emg, ek, bsat, excmod, kexc, expal, lgkalox, nimacc, &
      cpool, cnrat, cnmin, cnmax, cnseq, fde, rcoomod, rcoopars, crcoo, tempc, percol, cmin, &
      weathering, uptake, deposition, mon, obs, parentca, alox, so4admax, so4half, po4admax, &
      po4half, exph, alapars, fni, alwe, nfix, bal, msg)
  if (.not. morvane_ok(msg)) then
    write (error_unit, '(a)') morvane_get(msg)
    if (list%n < 0) stop 1
  end if
  write (*, '(a)') 'morvane ' // morvane_version_text() // ': ' // morvane_get(site)
  write (*, '(4(a, i0), a)') 'model ' // model // ', period ', iyb, '-', iye, ', ', nstep, &
      ' step(s) per year, ', list%n, ' keywords'

  ! Surface water: the companion runs with OLU and KESTO.
  if (index(model, 'KESTO2') /= 1) then
    call READINPW(list, ib, ie, iyb, iye, nstep, area_c, area_l, depth_l, pco2w, expalw, &
        lgkaloxw, retention, orgmodw, orgparw, mdocw, alaparw, msg)
    if (.not. morvane_ok(msg)) write (error_unit, '(a)') morvane_get(msg)
    write (*, '(a)') 'catchment ' // fixed(dble(area_c), 2) // ' km2, lake ' // fixed(dble(area_l), 2) // &
        ' km2, depth ' // fixed(dble(depth_l), 1) // ' m'
  end if

  ! The observation records of the lake variables, read once more with GETOBS
  ! (the soil reader has already filled them: the result is the same).
  call GETOBS(obs_index, list, var_name(10), 8, obs, c_null_ptr)
  call GETOBS(obs_index, list, var_name(11), 8, obs, c_null_ptr)

  ! ---- an illustrative run, yearly
  nt = iye - iyb + 1
  allocate (time(nt), val(nt, nvar), val_frozen(nt, nvar))
  call run(.false., val)
  call run(.true., val_frozen)

  ! ---- monitoring files
  ivar = [(i, i = 1, nvar)]
  title = 'Lake Harjulampi, ' // model
  frozen_mon = mon
  mon_path = morvane_get(mon%path)
  frozen_path = mon_path(1:len(mon_path) - 4) // '_dep1980.mon'
  call morvane_set(frozen_mon%path, frozen_path)
  frozen_mon%active = 1
  call MONWRITE(frozen_mon, title, vars, nvar, ivar, 1, nt, iyb, iye, nt, time, val_frozen)
  call MONWRITE(mon, title, vars, nvar, ivar, 1, nt, iyb, iye, nt, time, val)
  call morvane_last_message(msg)
  if (.not. morvane_ok(msg)) write (error_unit, '(a)') morvane_get(msg)
  write (*, '(a)') 'monitoring files: ' // mon_path // ', ' // frozen_path

  call validate()

  ! ---- the page
  pset%xlabopt = ' '
  call morvane_set(pset%xlabfmt, '(i4)')
  pset%nxdiv = 10
  pset%xlabstep = 2
  pset%xlab0 = 0
  pset%year0 = real(iyb)
  pset%year1 = real(iye)
  runs(1) = frozen_mon
  dir = morvane_get(list%dir)  ! the keyword file's folder: the page goes there too
  eps = dir // 'harjulampi_' // lower // '.eps'
  if (len(eps) > len(psfile)) then  ! MONPLOT takes the page's name in 128 characters
    write (error_unit, '(a)') 'harjulampi: the page''s name ' // eps // ' is longer than 128 characters'
    stop 1
  end if
  psfile = eps
  subttl = 'Dashed: deposition kept at 1980'
  call MONPLOT(psfile, title, nvar, nvar, ivar, 1, [1], [(0, i = 1, nvar)], var_window, vars, &
      pset, 1.414, subttl, 0, [(1.6, i = 1, 9)], &
      reshape([200, 30, 30, 30, 90, 200, 20, 140, 40, 150, 60, 170, 230, 130, 0, &
               0, 150, 160, 120, 80, 40, 90, 90, 90, 200, 0, 120], [3, 9]), &
      225, 1, -1, 2020.0, 0.5, 1, nt, 0, 0, 1, nt, time, val, runs, obs, msg)
  if (.not. morvane_ok(msg)) write (error_unit, '(a)') morvane_get(msg)
  write (*, '(a)') 'page: ' // eps

  ! The picture when Ghostscript is installed (cmdstat: a missing command is
  ! no error of the program).
  ! On Windows, Ghostscript's console program is gswin64c, tried as it is.
#ifdef _WIN32
  status = 0
  cmdstat = 0
  call execute_command_line('gswin64c -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r110 -sDEVICE=png16m ' // &
      '-sOutputFile=' // dir // 'harjulampi_' // lower // '.png ' // eps // ' >nul 2>&1', &
      exitstat=status, cmdstat=cmdstat)
  if (cmdstat == 0 .and. status == 0) write (*, '(a)') 'picture: ' // dir // 'harjulampi_' // lower // '.png'
#else
  call execute_command_line('command -v gs >/dev/null 2>&1', exitstat=status, cmdstat=cmdstat)
  if (cmdstat == 0 .and. status == 0) then
    call execute_command_line('gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r110 -sDEVICE=png16m ' // &
        '-sOutputFile=' // dir // 'harjulampi_' // lower // '.png ' // eps, exitstat=status, cmdstat=cmdstat)
    if (cmdstat == 0 .and. status == 0) write (*, '(a)') 'picture: ' // dir // 'harjulampi_' // lower // '.png'
  end if
#endif
  ! Allocatables of a main program stay allocated to its end: freed here, so
  ! that a leak checker sees none.
  deallocate (site_dir, model, lower, mon_path, frozen_path, dir, eps, time, val, val_frozen)

contains

  ! One run over the years; frozen keeps the deposition at its 1980 level.
  ! v(k, j): variable j at year k.
  subroutine run(frozen, v)
    logical, intent(in) :: frozen
    real, intent(out) :: v(:, :)
    real :: dep(9), we(9), up(9), ss(9), pool, bs, so4, ndep, bcdep, bcwe, bcupt
    real :: clmaxs, clminn, clmaxn, exn, exs, nleach, anc, ph, perc, anc_lake, ph_lake
    integer :: y, year, src_year, k, t, ts, region
    pool = cec * bulkdens * thick  ! exchangeable pool, meq/m2
    bs = eca + emg + max(ek, 0.0)
    if (bs <= 0.0) then
      bs = 0.25
      if (bsat > 0.0) bs = bsat
    end if
    do y = 0, nt - 1
      year = iyb + y
      time(y + 1) = real(year)
      ! Yearly totals over the steps of the year (monthly models sum twelve steps).
      dep = 0.0
      we = 0.0
      up = 0.0
      src_year = year
      if (frozen .and. year > 1980) src_year = 1980
      do k = 0, nstep - 1
        t = iyb + (year - iyb) * nstep + k
        ts = iyb + (src_year - iyb) * nstep + k
        dep = dep + deposition(:, ts)
        we = we + weathering(:, t) / real(nstep)
        up = up + uptake(:, t) / real(nstep)
      end do
      ! Sea-salt sulphate from chloride, removed from the sulphate deposition.
      call SEASALTS(1, dep, ss)
      so4 = dep(1) - ss(1)
      ndep = dep(2) + dep(3)
      bcdep = dep(4) + dep(5) + dep(6)
      bcwe = we(4) + we(5) + we(6)
      bcupt = up(4) + up(5) + up(6)
      ! Critical loads of acidity: an acceptable ANC leaching of -10 meq/m2/yr.
      clmaxs = bcdep + bcwe - bcupt + 10.0
      clminn = 14.0 + up(2)
      clmaxn = clminn + clmaxs / (1.0 - fde)
      call EXCEED(clmaxs, clminn, clmaxn, ndep, so4, exn, exs, region)
      ! Base saturation: a one-box budget of the exchangeable base cations.
      nleach = max(0.0, ndep - clminn) * (1.0 - fde)
      anc = bcdep + bcwe - bcupt - so4 - nleach  ! meq/m2/yr
      bs = min(max(bs + 0.35 * anc * bs / pool, 0.02), 0.95)
      ph = 4.05 + 2.6 * bs + 0.004 * anc
      perc = max(percol(iyb + y * nstep), 0.05)
      anc_lake = 35.0 + 0.12 * anc / perc
      ph_lake = min(max(5.6 + 0.018 * anc_lake, 4.5), 7.0)
      if (region == 0) then
        exs = 0.0
        exn = 0.0
      end if
      v(y + 1, :) = [so4, ndep, bcdep, bcwe, bcupt, exs, exn, ph, bs, ph_lake, anc_lake]
    end do
  end subroutine run

  ! The simulated soil pH against its observations.
  subroutine validate()
    real :: obsbuf(3, 400), h, d, sim, ph2000
    double precision :: sum2, rmse
    integer :: nobs, k, y
    nobs = 0
    call PREPOBS(obs(8), -99.0, iyb, iye, nobs, obsbuf, msg)
    if (.not. morvane_ok(msg)) write (error_unit, '(a)') morvane_get(msg)
    sum2 = 0.0d0
    do k = 1, nobs
      y = int(obsbuf(1, k)) - iyb
      sim = val(min(max(y, 0), nt - 1) + 1, 8)
      d = sim - obsbuf(2, k)
      sum2 = sum2 + dble(d) * d
    end do
    ! Criterion 4: the pH of a hydrogen-ion concentration (eq/m3).
    h = 10.0 ** (3.0 - val(2000 - iyb + 1, 8))
    ph2000 = VAL_CRIT(4, 0.0, 0.0, 0.0, h, 0.0, 0.0, 0.0)
    rmse = 0.0d0
    if (nobs > 0) rmse = sqrt(sum2 / nobs)
    write (*, '(a, i0, a)') 'soil pH: ', nobs, ' observations, RMSE ' // fixed(rmse, 3) &
        // '; pH in 2000 ' // fixed(dble(ph2000), 2)
  end subroutine validate

  ! x with d decimals and a leading zero before the point (as C's %.<d>f).
  function fixed(x, d) result(text)
    double precision, intent(in) :: x
    integer, intent(in) :: d
    character(len=:), allocatable :: text
    character(len=40) :: buf
    character(len=12) :: fmt
    write (fmt, '(a, i0, a)') '(f0.', d, ')'
    write (buf, fmt) x
    text = trim(adjustl(buf))
    if (text(1:1) == '.') text = '0' // text
    if (text(1:2) == '-.') text = '-0' // text(2:)
  end function fixed

  function lowercase(s) result(t)
    character(len=*), intent(in) :: s
    character(len=len(s)) :: t
    integer :: i
    t = s
    do i = 1, len(s)
      if (s(i:i) >= 'A' .and. s(i:i) <= 'Z') t(i:i) = achar(iachar(s(i:i)) + 32)
    end do
  end function lowercase

end program harjulampi
