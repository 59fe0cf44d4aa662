! gfortran's list-directed READ of the benchmarks' files, one READ per line:
! the peer of the readers. Each function returns the sum of the last value
! read from every line, so that nothing is left unread.
module bench_peers
  use iso_c_binding, only: c_char, c_int, c_double
  implicit none
contains

  ! Opens the file named by a C text of plen characters for reading.
  integer function open_path(path, plen) result(u)
    integer(c_int), intent(in) :: plen
    character(kind=c_char), intent(in) :: path(plen)
    character(len=plen) :: fname
    integer :: i
    do i = 1, plen
      fname(i:i) = path(i)
    end do
    open(newunit=u, file=fname, status='old', action='read')
  end function open_path

  ! A series file: one header line, then lines "year v(1) .. v(ncol)".
  function gfortran_read_all(path, plen, ncol) bind(C, name="gfortran_read_all") result(total)
    integer(c_int), value :: plen, ncol
    character(kind=c_char), intent(in) :: path(plen)
    real(c_double) :: total
    integer :: u, iy, ios, i
    real :: v(64)
    total = 0.0d0
    u = open_path(path, plen)
    read(u, *)
    do
      read(u, *, iostat=ios) iy, (v(i), i = 1, ncol)
      if (ios /= 0) exit
      total = total + dble(v(ncol))
    end do
    close(u)
  end function gfortran_read_all

  ! An observation file or a monitoring file: nskip header lines, then lines
  ! of nval reals.
  function peer_reals(path, plen, nskip, nval) bind(C, name="peer_reals") result(total)
    integer(c_int), value :: plen, nskip, nval
    character(kind=c_char), intent(in) :: path(plen)
    real(c_double) :: total
    integer :: u, ios, i
    real :: v(128)
    total = 0.0d0
    u = open_path(path, plen)
    do i = 1, nskip
      read(u, *)
    end do
    do
      read(u, *, iostat=ios) (v(i), i = 1, nval)
      if (ios /= 0) exit
      total = total + dble(v(nval))
    end do
    close(u)
  end function peer_reals

end module bench_peers
