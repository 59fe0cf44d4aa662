! morvane: the Fortran interface of the library (module morvane).
!
! The records of morvane.h as bind(C) derived types, an interface for every
! exported routine with each argument's real shape, and the small helpers that
! every caller needs for texts and messages:
!
!   use morvane
!   type(KEYLIST), save :: list
!   character(len=128) :: msg
!   call morvane_set(list%name, 'KESTO')
!   call morvane_set(list%file, 'kesto.inp')
!   call FIL2LIST(list)
!   call morvane_last_message(msg)
!   if (.not. morvane_ok(msg)) print '(a)', morvane_get(msg)
!
! Conventions:
! - Integers and logical words are integer(c_int32_t), reals real(c_float): on
!   gfortran the default integer and real. Logical words are read by their
!   lowest bit; the library writes true as -1.
! - Series arguments are arrays over the caller's time steps ib:ie, ion
!   matrices (9, ib:ie) with the ion index first (1 S, 2 oxidised N,
!   3 reduced N, 4 Ca, 5 Mg, 6 K, 7 Na, 8 Cl, 9 P).
! - Texts into and out of the routines (messages, site, titles, file names)
!   are 128-byte vectors: pass a character(len=128) variable. Record text
!   fields are arrays of single characters: set them with morvane_set and read
!   them with morvane_get.
! - Arguments that may be absent are type(c_ptr) or type(c_funptr) passed by
!   value: c_null_ptr (c_null_funptr) for absent, c_loc(x) (c_funloc(f)) else.
! - On 32-bit Windows every routine is __stdcall, and so must be the caller's
!   callbacks (morvane_obsind, morvane_stop_handler): see the end of the
!   interfaces below. The source is preprocessed (gfortran -cpp): without it
!   the directive still applies, which is right on 32-bit Windows and merely
!   warned about on 64-bit targets.
module morvane
  use, intrinsic :: iso_c_binding, only: c_char, c_int32_t, c_float, c_ptr, c_funptr, &
      c_null_char, c_associated, c_f_pointer
  implicit none
  private

  integer, parameter, public :: MORVANE_KEYLIST_ENTRIES = 256

  ! ------------------------------------------------------------------ records
  ! Text fields are blank-padded; reserved bytes are never read by the library.

  ! One monitoring file, balance file, comparison run or observation source.
  type, bind(c), public :: SeriesSpec
    integer(c_int32_t) :: active = 0              !   0 names a usable source or target
    character(kind=c_char) :: path(256) = ' '     !   4 file path ("1obsonly": constants)
    character(kind=c_char) :: fmt(64) = ' '       ! 260 data-line format; blank: default
    character(kind=c_char) :: opt = ' '           ! 324 option letter
    character(kind=c_char) :: reserved1(3) = c_null_char
    integer(c_int32_t) :: icol1 = 0               ! 328 column of the first observed value
    integer(c_int32_t) :: icol2 = 0               ! 332 column of the second, 0 for none
    character(kind=c_char) :: reserved2(32) = c_null_char
    real(c_float) :: factor = 1.0                 ! 368 factor of observed values
    real(c_float) :: cval(3) = 0.0                ! 372 constant observation: time, value, error
    character(kind=c_char) :: reserved3(24) = c_null_char
  end type SeriesSpec                             ! 408 bytes

  ! One model variable.
  type, bind(c), public :: VarDescriptor
    character(kind=c_char) :: name(8) = ' '         !  0 monitoring-file heading
    character(kind=c_char) :: description(64) = ' ' !  8 legend text
    real(c_float) :: ymin = 0.0                     ! 72 lower end of the display range
    real(c_float) :: ymax = 0.0                     ! 76 upper end of the display range
    integer(c_int32_t) :: ndiv = 0                  ! 80 y-axis divisions
  end type VarDescriptor                            ! 84 bytes

  ! A loaded keyword input file; entry i is key(:, i), line(:, i), got(i),
  ! def(i). The caller sets name and file. n = -1: nothing loaded (or the file
  ! is missing). 72212 bytes: give it static storage (save, or a module or
  ! main-program variable) rather than the stack.
  type, bind(c), public :: KEYLIST
    character(kind=c_char) :: name(16) = ' '                          !     0 model name
    character(kind=c_char) :: key(16, MORVANE_KEYLIST_ENTRIES) = ' '  !    16 keywords
    character(kind=c_char) :: file(256) = ' '                         !  4112 input file
    character(kind=c_char) :: dir(256) = ' '                          !  4368 its directory
    character(kind=c_char) :: line(256, MORVANE_KEYLIST_ENTRIES) = ' ' ! 4624 value texts
    integer(c_int32_t) :: n = -1                                      ! 70160 entries
    integer(c_int32_t) :: got(MORVANE_KEYLIST_ENTRIES) = 0            ! 70164 value taken
    integer(c_int32_t) :: def(MORVANE_KEYLIST_ENTRIES) = 0            ! 71188 defaulted
  end type KEYLIST                                                    ! 72212 bytes

  ! The plot driver's x-axis settings; only the named fields are read.
  type, bind(c), public :: PlotSettings
    character(kind=c_char) :: reserved0(4) = ' '
    character(kind=c_char) :: xlabopt = ' '        !    4 'n' suppresses the x labels
    character(kind=c_char) :: reserved5 = ' '
    character(kind=c_char) :: xlabfmt(8) = ' '     !    6 format of the x labels
    character(kind=c_char) :: reserved14(2126) = ' '
    integer(c_int32_t) :: nxdiv = 0                ! 2140 divisions of the x axis
    integer(c_int32_t) :: xlabstep = 0             ! 2144 step between labelled divisions
    integer(c_int32_t) :: xlab0 = 0                ! 2148 first labelled division
    character(kind=c_char) :: reserved2152(4) = ' '
    real(c_float) :: year0 = 0.0                   ! 2156 first year of the axis
    real(c_float) :: year1 = 0.0                   ! 2160 last year of the axis
  end type PlotSettings                            ! 2164 bytes

  ! ---------------------------------------------------------------- callbacks
  abstract interface
    ! The caller's lookup of a variable's observation record: the 1-based
    ! index into the SeriesSpec array, 0 or less for none.
    function morvane_obsind(name, name_len) bind(c) result(irec)
      import :: c_char, c_int32_t
      integer(c_int32_t), value :: name_len
      character(kind=c_char), intent(in) :: name(name_len)
      integer(c_int32_t) :: irec
    end function morvane_obsind

    ! A host's handler of the routines that stop the run: message is the
    ! zero-terminated text. When it returns, the routine returns at once.
    subroutine morvane_stop_handler(message) bind(c)
      import :: c_char
      character(kind=c_char), intent(in) :: message(*)
    end subroutine morvane_stop_handler
  end interface
  public :: morvane_obsind, morvane_stop_handler

  ! ------------------------------------------------------------------ exports
  interface
    ! ---- extensions
    ! handler: c_funloc of a morvane_stop_handler, or c_null_funptr for the
    ! default (message to standard error, exit status 1).
    subroutine morvane_set_stop_handler(handler) bind(c, name='morvane_set_stop_handler')
      import :: c_funptr
      type(c_funptr), value :: handler
    end subroutine morvane_set_stop_handler

    ! The zero-terminated version text; morvane_version_text gives it as a string.
    function morvane_version() bind(c, name='morvane_version') result(text)
      import :: c_ptr
      type(c_ptr) :: text
    end function morvane_version

    ! The message of the last MONWRITE, GETOBS or FIL2LIST of this thread.
    subroutine morvane_last_message(msg) bind(c, name='morvane_last_message')
      import :: c_char
      character(kind=c_char), intent(out) :: msg(128)
    end subroutine morvane_last_message

    ! Warnings of the last FIL2LIST, READINP, READINPW, GETOBS or PREPOBS of
    ! this thread: how many, and warning i (1-based) as a 128-byte message.
    function morvane_warning_count() bind(c, name='morvane_warning_count') result(n)
      import :: c_int32_t
      integer(c_int32_t) :: n
    end function morvane_warning_count

    subroutine morvane_warning(i, text) bind(c, name='morvane_warning')
      import :: c_int32_t, c_char
      integer(c_int32_t), value :: i
      character(kind=c_char), intent(out) :: text(128)
    end subroutine morvane_warning

    ! ---- model input
    subroutine READINP(nvar, vars, obsind, list, ib, ie, site, iyb, iye, nstep, addso4ss, &
        thick, bulkdens, theta, pco2fac, cec, eca_0, emg_0, ek_0, bsat_0, excmod, kexc, &
        expal, lgkalox, nim_acc, cpool_0, cnrat_0, cnratmin, cnratmax, cnratseq, f_de, &
        rcoomod, rcoopars, crcoo, tempc, percol, cmin, weathering, uptake, deposition, &
        mon, obs, parentca_or_carbonat, alox_0, so4admax, so4half, po4admax, po4half, &
        exph, alapars, f_ni, al_we, n_fix, bal, msg) bind(c, name='READINP')
      import :: c_char, c_int32_t, c_float, VarDescriptor, KEYLIST, SeriesSpec, morvane_obsind
      integer(c_int32_t), intent(in) :: nvar, ib, ie
      type(VarDescriptor), intent(in) :: vars(nvar)
      procedure(morvane_obsind) :: obsind
      type(KEYLIST), intent(inout) :: list
      character(kind=c_char), intent(inout) :: site(128)
      integer(c_int32_t), intent(inout) :: iyb, iye, nstep, addso4ss, excmod, rcoomod
      real(c_float), intent(inout) :: thick, bulkdens, cec, eca_0, emg_0, ek_0, bsat_0, &
          expal, cpool_0, cnrat_0, cnratmin, cnratmax, cnratseq, f_de, &
          parentca_or_carbonat, alox_0, so4admax, so4half, po4admax, po4half, exph, f_ni
      real(c_float), intent(inout) :: theta(ib:ie), pco2fac(ib:ie), lgkalox(ib:ie), &
          nim_acc(ib:ie), crcoo(ib:ie), tempc(ib:ie), percol(ib:ie), al_we(ib:ie), &
          n_fix(ib:ie)
      real(c_float), intent(inout) :: kexc(6, 6), rcoopars(3), cmin(9), alapars(2)
      real(c_float), intent(inout) :: weathering(9, ib:ie), uptake(9, ib:ie), &
          deposition(9, ib:ie)
      type(SeriesSpec), intent(inout) :: mon, obs(*), bal
      character(kind=c_char), intent(out) :: msg(128)
    end subroutine READINP

    subroutine READINPW(list, ib, ie, iyb, iye, nstep, area_c, area_l, depth_l, pco2facw, &
        expalw, lgkaloxw, retention, orgmodw, orgparw, mdocw, alaparw, msg) &
        bind(c, name='READINPW')
      import :: c_char, c_int32_t, c_float, KEYLIST
      type(KEYLIST), intent(inout) :: list
      integer(c_int32_t), intent(in) :: ib, ie, iyb, iye, nstep
      real(c_float), intent(inout) :: area_c, area_l, depth_l, pco2facw, expalw, lgkaloxw
      real(c_float), intent(inout) :: retention(9), orgparw(3), mdocw(ib:ie), alaparw(2)
      integer(c_int32_t), intent(inout) :: orgmodw
      character(kind=c_char), intent(out) :: msg(128)
    end subroutine READINPW

    subroutine FIL2LIST(list) bind(c, name='FIL2LIST')
      import :: KEYLIST
      type(KEYLIST), intent(inout) :: list
    end subroutine FIL2LIST

    ! ---- output and observations
    ! val(n0:n1, *): column ivar(i) holds variable ivar(i) over the time points.
    subroutine MONWRITE(mon, title, vars, nv, ivar, n0, n1, iyb, iye, nt, time, val) &
        bind(c, name='MONWRITE')
      import :: c_char, c_int32_t, c_float, SeriesSpec, VarDescriptor
      integer(c_int32_t), intent(in) :: nv, n0, n1, iyb, iye, nt
      type(SeriesSpec), intent(in) :: mon
      character(kind=c_char), intent(in) :: title(128)
      type(VarDescriptor), intent(in) :: vars(*)
      integer(c_int32_t), intent(in) :: ivar(nv)
      real(c_float), intent(in) :: time(nt), val(n0:n1, *)
    end subroutine MONWRITE

    ! name: the variable's name, name_len its length (8 for a VarDescriptor
    ! name); isuf: c_null_ptr, or c_loc of an integer suffix.
    subroutine GETOBS(obsind, list, name, name_len, obsspecs, isuf) bind(c, name='GETOBS')
      import :: c_char, c_int32_t, c_ptr, KEYLIST, SeriesSpec, morvane_obsind
      procedure(morvane_obsind) :: obsind
      type(KEYLIST), intent(inout) :: list
      integer(c_int32_t), value :: name_len
      character(kind=c_char), intent(in) :: name(name_len)
      type(SeriesSpec), intent(inout) :: obsspecs(*)
      type(c_ptr), value :: isuf
    end subroutine GETOBS

    ! obs(3, *): one (time, value, second value) triple per data line of the
    ! file; the routine cannot tell how many the caller's array holds.
    subroutine PREPOBS(obsspec, xmiss, iyb, iye, nobs, obs, msg) bind(c, name='PREPOBS')
      import :: c_char, c_int32_t, c_float, SeriesSpec
      type(SeriesSpec), intent(in) :: obsspec
      real(c_float), intent(in) :: xmiss
      integer(c_int32_t), intent(in) :: iyb, iye
      integer(c_int32_t), intent(inout) :: nobs
      real(c_float), intent(inout) :: obs(3, *)
      character(kind=c_char), intent(out) :: msg(128)
    end subroutine PREPOBS

    function VAL_CRIT(icrit, x2, x3, x4, x5, x6, x7, x8) bind(c, name='VAL_CRIT') result(crit)
      import :: c_int32_t, c_float
      integer(c_int32_t), intent(in) :: icrit
      real(c_float), intent(in) :: x2, x3, x4, x5, x6, x7, x8
      real(c_float) :: crit
    end function VAL_CRIT

    ! ---- plotting
    ! val(n0:n1, *): variable j of block s is column ivar(j) + (iblk(s) - 1) * nrec,
    ! and obsspecs has one record per column.
    subroutine MONPLOT(psfile, title, nrec, nv, ivar, nblk, iblk, cumul, iwin, vars, pset, &
        aspect, subttl, idate, lwid, rgb, igrid, nacc, ivlab, yref, zlwid, n0, n1, idum, &
        iyoff, nstep, nt, time, val, runs, obsspecs, msg) bind(c, name='MONPLOT')
      import :: c_char, c_int32_t, c_float, VarDescriptor, PlotSettings, SeriesSpec
      integer(c_int32_t), intent(in) :: nrec, nv, nblk, n0, n1, nt
      character(kind=c_char), intent(in) :: psfile(128), title(128), subttl(128)
      integer(c_int32_t), intent(in) :: ivar(nv), iblk(nblk), cumul(nv), iwin(nv)
      type(VarDescriptor), intent(in) :: vars(nrec)
      type(PlotSettings), intent(in) :: pset
      real(c_float), intent(in) :: aspect, yref, zlwid
      integer(c_int32_t), intent(in) :: idate, igrid, nacc, ivlab, idum, iyoff, nstep
      real(c_float), intent(in) :: lwid(9)
      integer(c_int32_t), intent(in) :: rgb(3, 9)
      real(c_float), intent(in) :: time(nt), val(n0:n1, *)
      type(SeriesSpec), intent(in) :: runs(9), obsspecs(*)
      character(kind=c_char), intent(out) :: msg(128)
    end subroutine MONPLOT

    ! x and y need n entries (nc * nr when n < 1, when nc and nr are inputs).
    subroutine GETPANES(mode, n, w, h, mx0, mx1, my0, my1, ratio, gx, gy, nc, nr, x, y, &
        pw, ph) bind(c, name='GETPANES')
      import :: c_int32_t, c_float
      integer(c_int32_t), intent(in) :: mode, n
      real(c_float), intent(in) :: w, h, mx0, mx1, my0, my1, ratio, gx, gy
      integer(c_int32_t), intent(inout) :: nc, nr
      real(c_float), intent(inout) :: x(*), y(*), pw, ph
    end subroutine GETPANES

    ! ---- chemistry (temperatures in degrees Celsius)
    function FKHCO3(t) bind(c, name='FKHCO3') result(k)
      import :: c_float
      real(c_float), intent(in) :: t
      real(c_float) :: k
    end function FKHCO3

    function FKCO3(t) bind(c, name='FKCO3') result(k)
      import :: c_float
      real(c_float), intent(in) :: t
      real(c_float) :: k
    end function FKCO3

    function FKOH(t) bind(c, name='FKOH') result(k)
      import :: c_float
      real(c_float), intent(in) :: t
      real(c_float) :: k
    end function FKOH

    function FKCACO3(t) bind(c, name='FKCACO3') result(k)
      import :: c_float
      real(c_float), intent(in) :: t
      real(c_float) :: k
    end function FKCACO3

    function FLGKALOX(lgk, t) bind(c, name='FLGKALOX') result(lgkt)
      import :: c_float
      real(c_float), intent(in) :: lgk, t
      real(c_float) :: lgkt
    end function FLGKALOX

    ! dep: an ion vector (positions 4 to 8 are read); ssdep: its sea-salt part.
    subroutine SEASALTS(iref, dep, ssdep) bind(c, name='SEASALTS')
      import :: c_int32_t, c_float
      integer(c_int32_t), intent(in) :: iref
      real(c_float), intent(in) :: dep(8)
      real(c_float), intent(out) :: ssdep(9)
    end subroutine SEASALTS

    ! par: the model's parameter vector (positions 19 to 32 are read);
    ! org(0:m), at least org(0:1).
    subroutine ORGALL(h, al, par, org, alorg, alchg) bind(c, name='ORGALL')
      import :: c_float
      real(c_float), intent(in) :: h, al, par(32)
      real(c_float), intent(inout) :: org(0:*), alorg(3), alchg
    end subroutine ORGALL

    ! ---- critical-load functions
    subroutine EXCEED(clmaxs, clminn, clmaxn, ndep, sdep, exn, exs, region) &
        bind(c, name='EXCEED')
      import :: c_int32_t, c_float
      real(c_float), intent(in) :: clmaxs, clminn, clmaxn, ndep, sdep
      real(c_float), intent(out) :: exn, exs
      integer(c_int32_t), intent(out) :: region
    end subroutine EXCEED

    ! xout, yout: room for 2 * (na + nb) vertices is always enough.
    subroutine MINPOLY(na, xa, ya, nb, xb, yb, nout, xout, yout) bind(c, name='MINPOLY')
      import :: c_int32_t, c_float
      integer(c_int32_t), intent(in) :: na, nb
      real(c_float), intent(in) :: xa(na), ya(na), xb(nb), yb(nb)
      integer(c_int32_t), intent(out) :: nout
      real(c_float), intent(inout) :: xout(*), yout(*)
    end subroutine MINPOLY

    subroutine SHFTPOLY(n, x, y, d, nout, xout, yout) bind(c, name='SHFTPOLY')
      import :: c_int32_t, c_float
      integer(c_int32_t), intent(in) :: n
      real(c_float), intent(in) :: x(n), y(n), d
      integer(c_int32_t), intent(inout) :: nout
      real(c_float), intent(inout) :: xout(n), yout(n)
    end subroutine SHFTPOLY
  end interface

  ! 32-bit Windows: every routine and both callbacks are __stdcall (the
  ! callbacks that a caller writes need the same directive).
#if __SIZEOF_POINTER__ == 4 && !defined(MORVANE_NO_STDCALL)
!GCC$ ATTRIBUTES STDCALL :: morvane_obsind, morvane_stop_handler
!GCC$ ATTRIBUTES STDCALL :: morvane_set_stop_handler, morvane_version, morvane_last_message
!GCC$ ATTRIBUTES STDCALL :: morvane_warning_count, morvane_warning
!GCC$ ATTRIBUTES STDCALL :: READINP, READINPW, FIL2LIST, MONWRITE, GETOBS, PREPOBS, VAL_CRIT
!GCC$ ATTRIBUTES STDCALL :: MONPLOT, GETPANES, FKHCO3, FKCO3, FKOH, FKCACO3, FLGKALOX
!GCC$ ATTRIBUTES STDCALL :: SEASALTS, ORGALL, EXCEED, MINPOLY, SHFTPOLY
#endif

  public :: morvane_set_stop_handler, morvane_version, morvane_last_message
  public :: morvane_warning_count, morvane_warning
  public :: READINP, READINPW, FIL2LIST, MONWRITE, GETOBS, PREPOBS, VAL_CRIT
  public :: MONPLOT, GETPANES, FKHCO3, FKCO3, FKOH, FKCACO3, FLGKALOX
  public :: SEASALTS, ORGALL, EXCEED, MINPOLY, SHFTPOLY

  ! ------------------------------------------------------------------ helpers
  ! Sets a fixed-width text (a record field or a character variable) to text,
  ! blank-padded; a longer text is cut to the width.
  interface morvane_set
    module procedure set_field, set_string
  end interface morvane_set

  ! The text of a field or a returned 128-byte vector: up to its first zero
  ! byte, trailing blanks removed.
  interface morvane_get
    module procedure get_field, get_string
  end interface morvane_get

  ! True when a message is all blanks up to its zero byte: the call succeeded.
  interface morvane_ok
    module procedure ok_field, ok_string
  end interface morvane_ok

  public :: morvane_set, morvane_get, morvane_ok, morvane_version_text

contains

  subroutine set_field(field, text)
    character(kind=c_char), intent(out) :: field(:)
    character(len=*), intent(in) :: text
    integer :: i
    do i = 1, size(field)
      if (i <= len(text)) then
        field(i) = text(i:i)
      else
        field(i) = ' '
      end if
    end do
  end subroutine set_field

  subroutine set_string(field, text)
    character(len=*), intent(out) :: field
    character(len=*), intent(in) :: text
    field = text
  end subroutine set_string

  function get_field(field) result(text)
    character(kind=c_char), intent(in) :: field(:)
    character(len=:), allocatable :: text
    integer :: i, n
    n = size(field)
    do i = 1, size(field)
      if (field(i) == c_null_char) then
        n = i - 1
        exit
      end if
    end do
    allocate(character(len=n) :: text)
    do i = 1, n
      text(i:i) = field(i)
    end do
    text = trim(text)
  end function get_field

  function get_string(field) result(text)
    character(len=*), intent(in) :: field
    character(len=:), allocatable :: text
    integer :: n
    n = index(field, c_null_char) - 1
    if (n < 0) n = len(field)
    text = trim(field(1:n))
  end function get_string

  logical function ok_field(msg)
    character(kind=c_char), intent(in) :: msg(:)
    ok_field = len(get_field(msg)) == 0
  end function ok_field

  logical function ok_string(msg)
    character(len=*), intent(in) :: msg
    ok_string = len(get_string(msg)) == 0
  end function ok_string

  ! The library's version, for example "0.1.0".
  function morvane_version_text() result(text)
    character(len=:), allocatable :: text
    character(kind=c_char), pointer :: chars(:)
    type(c_ptr) :: p
    integer :: n
    p = morvane_version()
    if (.not. c_associated(p)) then
      text = ''
      return
    end if
    ! The text is short; 64 bytes bound the search for its zero byte.
    call c_f_pointer(p, chars, [64])
    n = 0
    do while (n < size(chars))
      if (chars(n + 1) == c_null_char) exit
      n = n + 1
    end do
    text = get_field(chars(1:n))
  end function morvane_version_text

end module morvane
